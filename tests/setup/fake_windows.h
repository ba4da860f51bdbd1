// Pretends to be a given Windows version through setup's version seam, and
// records setup's failure boxes through the dialog seam.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "platform/dialog_seam.h"
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

// Failure boxes (MessageBoxW) recorded instead of shown, for a scope.
class RecordedBoxes {
public:
    struct Box {
        std::wstring text, caption;
    };
    RecordedBoxes() : guard_(vx::setup::platform::dialogs().MessageBoxW, record) { boxes().clear(); }
    static std::vector<Box>& boxes()
    {
        static std::vector<Box> shown;
        return shown;
    }

private:
    static int WINAPI record(HWND, LPCWSTR text, LPCWSTR caption, UINT)
    {
        boxes().push_back({text, caption});
        return IDOK;
    }
    vx::setup::platform::SeamOverride<int(WINAPI*)(HWND, LPCWSTR, LPCWSTR, UINT)> guard_;
};

} // namespace vxtest
