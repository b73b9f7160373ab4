// The account the program runs under: the Administrators group, enabled, in the
// process token, and the login name.
#include "store/account_win32.h"

#include <lmcons.h>

#include <vector>

#include "store/win32_handle.h"

bool tokenHasEnabledAdministrators(HANDLE token) {
    // The group list is as long as the token needs: a domain account's may be long.
    DWORD needed = 0;
    GetTokenInformation(token, TokenGroups, nullptr, 0, &needed);
    if (needed == 0) {
        return false;
    }
    std::vector<unsigned char> buffer(needed);
    if (!GetTokenInformation(token, TokenGroups, buffer.data(), needed, &needed)) {
        return false;
    }
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators)) {
        return false;
    }
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    bool found = false;
    for (DWORD i = 0; i < groups->GroupCount && !found; ++i) {
        const DWORD attributes = groups->Groups[i].Attributes;
        found = EqualSid(groups->Groups[i].Sid, administrators) &&
                (attributes & SE_GROUP_ENABLED) != 0 &&
                (attributes & SE_GROUP_USE_FOR_DENY_ONLY) == 0;
    }
    FreeSid(administrators);
    return found;
}

namespace {

class SystemAccount final : public Account {
  public:
    bool isAdministrator() override {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
            return false;
        }
        const UniqueHandle owned(token);
        return tokenHasEnabledAdministrators(owned.get());
    }

    std::optional<std::string> loginName() override {
        std::string name(UNLEN + 1, '\0');
        DWORD size = static_cast<DWORD>(name.size());
        if (!GetUserNameA(name.data(), &size) || size == 0) {
            return std::nullopt;
        }
        name.resize(size - 1); // the size counts the terminating zero
        return name;
    }
};

} // namespace

Account& systemAccount() {
    static SystemAccount account;
    return account;
}
