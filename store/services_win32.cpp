// The system's own services in one object.
#include "store/services_win32.h"

#include "store/account_win32.h"

Services systemServices() {
    return Services{systemRegistry(), systemFileSystem(), systemClock(), systemAccount(), {}};
}
