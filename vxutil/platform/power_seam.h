// Power and session family: locking, hibernating and the privilege change
// around it must never happen during a test.
#pragma once
#include <windows.h>

namespace vx::platform {

struct PowerSeam {
    BOOL(WINAPI* LockWorkStation)();
    BOOLEAN(WINAPI* SetSuspendState)(BOOLEAN hibernate, BOOLEAN force, BOOLEAN wake_events_disabled);
    BOOL(WINAPI* OpenProcessToken)(HANDLE, DWORD, PHANDLE);
    BOOL(WINAPI* LookupPrivilegeValueA)(LPCSTR, LPCSTR, PLUID);
    BOOL(WINAPI* AdjustTokenPrivileges)(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES, PDWORD);
    BOOL(WINAPI* CloseHandle)(HANDLE);
};

PowerSeam& power();

} // namespace vx::platform
