// The administrator test on a given access token.
#pragma once

#include <windows.h>

// Whether the token holds the built-in Administrators group (S-1-5-32-544) enabled:
// a deny-only entry, as in an administrator's token without elevation, does not count.
bool tokenHasEnabledAdministrators(HANDLE token);
