// Version and language family: the Windows version tests come from VXUtil's
// exports and the system language from the kernel; tests play other Windows
// versions and system languages in one process through this struct. The
// debug-string writer is here too, so that tests can read what the display
// reports, and the shell's notification state, so that tests can play a
// full-screen program or a presentation.
#pragma once
#include <windows.h>

#include <shellapi.h>

namespace vx::osd::platform {

struct SystemSeam {
    int(WINAPI* IsNT)();
    int(WINAPI* IsWinXP)();
    int(WINAPI* IsWinVista)();
    LANGID(WINAPI* GetSystemDefaultLangID)();
    void(WINAPI* OutputDebugStringA)(LPCSTR);
    // SHQueryUserNotificationState where the shell has it (Vista and later);
    // E_NOTIMPL elsewhere.
    HRESULT(WINAPI* SHQueryUserNotificationState)(QUERY_USER_NOTIFICATION_STATE*);
};

SystemSeam& os();

} // namespace vx::osd::platform
