// Pretends to be a given Windows version through setup's version seam.
#pragma once
#include <windows.h>

#include "platform/seam.h"
#include "platform/version_seam.h"

namespace vxtest {

struct WindowsKind {
    DWORD platform, major, minor;
    bool has_native_info; // GetNativeSystemInfo present
    WORD architecture;
};

inline constexpr WindowsKind kWin95{VER_PLATFORM_WIN32_WINDOWS, 4, 0, false, PROCESSOR_ARCHITECTURE_INTEL};
inline constexpr WindowsKind kWin98{VER_PLATFORM_WIN32_WINDOWS, 4, 10, false, PROCESSOR_ARCHITECTURE_INTEL};
inline constexpr WindowsKind kWinMe{VER_PLATFORM_WIN32_WINDOWS, 4, 90, false, PROCESSOR_ARCHITECTURE_INTEL};
inline constexpr WindowsKind kNt4{VER_PLATFORM_WIN32_NT, 4, 0, false, PROCESSOR_ARCHITECTURE_INTEL};
inline constexpr WindowsKind kWin2k{VER_PLATFORM_WIN32_NT, 5, 0, false, PROCESSOR_ARCHITECTURE_INTEL};
inline constexpr WindowsKind kXp32{VER_PLATFORM_WIN32_NT, 5, 1, true, PROCESSOR_ARCHITECTURE_INTEL};
inline constexpr WindowsKind kWin7x64{VER_PLATFORM_WIN32_NT, 6, 1, true, PROCESSOR_ARCHITECTURE_AMD64};

class AsWindows {
public:
    explicit AsWindows(const WindowsKind& kind)
        : guard_(vx::setup::platform::version(), {version_ex, find_native})
    {
        current() = kind;
    }

private:
    static WindowsKind& current()
    {
        static WindowsKind kind{};
        return kind;
    }
    static BOOL WINAPI version_ex(LPOSVERSIONINFOA info)
    {
        if (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA))
            return FALSE;
        info->dwPlatformId = current().platform;
        info->dwMajorVersion = current().major;
        info->dwMinorVersion = current().minor;
        return TRUE;
    }
    static void WINAPI native_info(LPSYSTEM_INFO info)
    {
        *info = SYSTEM_INFO{};
        info->wProcessorArchitecture = current().architecture;
    }
    static vx::setup::platform::NativeSystemInfoFn find_native()
    {
        return current().has_native_info ? native_info : nullptr;
    }
    vx::setup::platform::ScopedSeam<vx::setup::platform::VersionSeam> guard_;
};

} // namespace vxtest
