// The system's own services: the Windows registry, file system, clock and account.
#pragma once

#include "store/services.h"

Registry& systemRegistry();
FileSystem& systemFileSystem();

Services systemServices();
