// The first start's tip and the value that keeps it from coming again.
#include "app/first_start_tip.h"

#include <cstdint>

#include "store/registry.h"

namespace {

constexpr const char* USER_KEY = "Software\\QuarvWecker";
constexpr const char* TIP_SHOWN = "tipshown";

} // namespace

const char FIRST_START_TIP_TITLE[] = "Quarv Zodora läuft jetzt im Infobereich";
// One step a line: Windows wraps long lines itself, some shells do not.
const char FIRST_START_TIP_TEXT[] =
    "Das Symbol zeigt dir, wann der nächste Termin ansteht. Damit es unter Windows 11 immer zu "
    "sehen ist:\n"
    "Rechtsklick auf die Taskleiste,\n"
    "Taskleisteneinstellungen › Andere Symbole der Taskleiste,\n"
    "dort Quarv Zodora einschalten.";

bool firstStartTipShown(Registry& registry) {
    const RegistryKey key = registry.open(RegistryRoot::User, USER_KEY, RegistryAccess::Read);
    std::uint32_t shown = 0;
    return key && key.readDword(TIP_SHOWN, shown) && shown == 1;
}

bool rememberFirstStartTip(Registry& registry) {
    const RegistryKey key = registry.create(RegistryRoot::User, USER_KEY);
    return key && key.writeDword(TIP_SHOWN, 1);
}
