// The platform services the program reaches the outside world through. The
// program gets the system's (systemServices); tests hand in stand-ins.
#pragma once

#include <string>

#include "core/clock.h"
#include "store/account.h"
#include "store/file_system.h"
#include "store/registry.h"

struct Services {
    Registry& registry;
    FileSystem& files;
    const Clock& clock;
    Account& account;
    // The command line that opens the sound control panel; empty for the system's own.
    std::string soundControlPanelCommand;
};
