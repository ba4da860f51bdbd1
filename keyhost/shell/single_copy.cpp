#include "shell/single_copy.h"

#include <windows.h>

#include "host.h"
#include "platform/session_seam.h"

namespace keyhost {

bool first_in_session()
{
    // Kept until the process ends; the system closes it then. A copy of
    // another integrity level (one started as administrator, or a normal one
    // beside it) made it too when opening it is refused: that is "already
    // running" as well.
    platform::session().CreateMutexA(nullptr, FALSE, "Local\\VXKeyHost");
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED)
        return true;
    // The running copy lets this message through UIPI.
    if (HWND running = FindWindowA(kWindowClass, nullptr))
        PostMessageA(running, RegisterWindowMessageA(kAnotherStartMessage), 0, 0);
    return false;
}

} // namespace keyhost
