// Version and time family: lets one test process behave as every Windows
// version and pass long waits without sleeping.
#pragma once
#include <windows.h>

namespace vx::platform {

struct SystemSeam {
    BOOL(WINAPI* GetVersionExA)(LPOSVERSIONINFOA);
    void(WINAPI* GetNativeSystemInfo)(LPSYSTEM_INFO);
    DWORD(WINAPI* GetTickCount)();
    void(WINAPI* Sleep)(DWORD);
    // Waits with a time-out that a test must not sit through (a minute for a
    // SCSI command).
    DWORD(WINAPI* WaitForSingleObject)(HANDLE, DWORD);
};

SystemSeam& os();

// The running Windows version as GetVersionExA reports it through the seam.
struct WindowsVersion {
    DWORD platform;
    DWORD major;
    DWORD minor;
};
WindowsVersion windows_version();

} // namespace vx::platform
