// Dynamic annotation of control names for screen readers.
#include "ui/screen_reader_names.h"

#include <initguid.h>
#include <oleacc.h>

#include "ui/on_demand.h"

namespace {

HMODULE ole32() {
    static const HMODULE module = systemLibrary("ole32.dll");
    return module;
}

// The annotation service of oleacc, released when it goes.
class PropServices {
  public:
    PropServices() {
        using CreateCall = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, void**);
        static const auto create = functionOf<CreateCall>(ole32(), "CoCreateInstance");
        if (create == nullptr ||
            FAILED(create(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                          IID_IAccPropServices, reinterpret_cast<void**>(&services_)))) {
            services_ = nullptr;
        }
    }
    ~PropServices() {
        if (services_ != nullptr) {
            services_->Release();
        }
    }
    PropServices(const PropServices&) = delete;
    PropServices& operator=(const PropServices&) = delete;

    IAccPropServices* operator->() const { return services_; }
    explicit operator bool() const { return services_ != nullptr; }

  private:
    IAccPropServices* services_ = nullptr;
};

} // namespace

ComApartment::ComApartment() {
    using InitCall = HRESULT(WINAPI*)(LPVOID, DWORD);
    static const auto init = functionOf<InitCall>(ole32(), "CoInitializeEx");
    // S_FALSE (already entered on this thread) must be balanced as well.
    entered_ = init != nullptr && SUCCEEDED(init(nullptr, COINIT_APARTMENTTHREADED));
}

ComApartment::~ComApartment() {
    using UninitCall = void(WINAPI*)();
    static const auto uninit = functionOf<UninitCall>(ole32(), "CoUninitialize");
    if (entered_ && uninit != nullptr) {
        uninit();
    }
}

bool nameForScreenReaders(HWND dialog, std::span<const ScreenReaderName> names) {
    const PropServices services;
    bool all = static_cast<bool>(services);
    for (const ScreenReaderName& entry : names) {
        all = services &&
              SUCCEEDED(services->SetHwndPropStr(GetDlgItem(dialog, entry.id), OBJID_CLIENT,
                                                 CHILDID_SELF, PROPID_ACC_NAME, entry.name)) &&
              all;
    }
    return all;
}

void forgetScreenReaderNames(HWND dialog, std::span<const ScreenReaderName> names) {
    const PropServices services;
    if (!services) {
        return;
    }
    MSAAPROPID name = PROPID_ACC_NAME;
    for (const ScreenReaderName& entry : names) {
        services->ClearHwndProps(GetDlgItem(dialog, entry.id), OBJID_CLIENT, CHILDID_SELF, &name,
                                 1);
    }
}
