// The IsWin* version tests, the thread-locale chooser and the error box.
// Versions come through the version seam so one test process can be every
// Windows; the box goes through the dialog seam.
#include <windows.h>

#include "platform/dialog_seam.h"
#include "platform/system_seam.h"
#include "vxutil.h"

namespace {

using vx::platform::windows_version;

constexpr DWORD kWindows = VER_PLATFORM_WIN32_WINDOWS;
constexpr DWORD kNT = VER_PLATFORM_WIN32_NT;

bool is(DWORD platform, DWORD major, DWORD minor)
{
    const auto v = windows_version();
    return v.platform == platform && v.major == major && v.minor == minor;
}

// The locales the library's texts come in, in the order the primary-language
// match tries them.
constexpr LCID kLocales[] = {1028, 2052, 1030, 1043, 1033, 1035, 1036, 1031, 1040, 1041, 1044, 1046, 2058, 1053};
constexpr LCID kFallbackLocale = 1033;

} // namespace

extern "C" int WINAPI IsWin95(void) { return is(kWindows, 4, 0); }
extern "C" int WINAPI IsWin98(void) { return is(kWindows, 4, 10); }
extern "C" int WINAPI IsWinME(void) { return is(kWindows, 4, 90); }
extern "C" int WINAPI IsNT(void) { return windows_version().platform == kNT; }
extern "C" int WINAPI IsWin2000(void) { return is(kNT, 5, 0); }
extern "C" int WINAPI IsWinXP(void) { return is(kNT, 5, 1); }
extern "C" int WINAPI IsWin2003(void) { return is(kNT, 5, 2); }
extern "C" int WINAPI IsWinVista(void) { return is(kNT, 6, 0); }

extern "C" int WINAPI IsWin2000orLater(void)
{
    const auto v = windows_version();
    return v.platform == kNT && v.major >= 5;
}

// The minor number is tested on its own: 6.1 to 6.3 qualify, 10.0 does not.
extern "C" int WINAPI IsWin7above(void)
{
    const auto v = windows_version();
    return v.platform == kNT && v.major >= 6 && v.minor >= 1;
}

extern "C" int WINAPI IsWin8above(void)
{
    const auto v = windows_version();
    return v.platform == kNT && v.major >= 6 && v.minor >= 2;
}

extern "C" int WINAPI SetThreadResourceLocale(void)
{
    const LCID current = GetThreadLocale();
    for (LCID locale : kLocales) {
        if (locale == current)
            return static_cast<int>(current);
    }
    for (LCID locale : kLocales) {
        if ((locale & 0xFF) == (current & 0xFF)) {
            if (SetThreadLocale(locale))
                return 1;
            break;
        }
    }
    return SetThreadLocale(kFallbackLocale);
}

extern "C" HLOCAL WINAPI ShowErrorMessage(const char* caption)
{
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, GetLastError(),
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text), 0, nullptr);
    vx::platform::dialogs().MessageBoxA(nullptr, text ? text : "", caption, MB_ICONINFORMATION);
    return LocalFree(text);
}
