// Optical-drive family: drive letters and volumes, the drive devices opened
// for SCSI pass-through, and the ASPI library. This machine has no optical
// drive (and Wine cannot show an empty one), so tests replace these calls.
#pragma once
#include <windows.h>

namespace vx::platform {

struct ScsiSeam {
    DWORD(WINAPI* GetLogicalDriveStringsA)(DWORD, LPSTR);
    UINT(WINAPI* GetDriveTypeA)(LPCSTR);
    BOOL(WINAPI* GetVolumeInformationA)(LPCSTR, LPSTR, DWORD, LPDWORD, LPDWORD, LPDWORD, LPSTR, DWORD);
    HANDLE(WINAPI* CreateFileA)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
    BOOL(WINAPI* DeviceIoControl)(HANDLE, DWORD, LPVOID, DWORD, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
    BOOL(WINAPI* CloseHandle)(HANDLE);
    // Loads WNASPI32.DLL from the system directory only (never from the
    // current folder or the search path); null when it is not there.
    HMODULE (*load_aspi_library)();
    FARPROC(WINAPI* GetProcAddress)(HMODULE, LPCSTR);
    BOOL(WINAPI* FreeLibrary)(HMODULE);
};

ScsiSeam& scsi();

} // namespace vx::platform
