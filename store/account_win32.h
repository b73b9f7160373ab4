// The account the program runs under, asked of the process token and the system.
#pragma once

#include <windows.h>

#include "store/account.h"

// Whether the token holds the built-in Administrators group (S-1-5-32-544) enabled:
// a deny-only entry, as in an administrator's token without elevation, does not count.
bool tokenHasEnabledAdministrators(HANDLE token);

// The process token's answer and GetUserNameA.
Account& systemAccount();
