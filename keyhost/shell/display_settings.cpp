#include "display_settings.h"

#include <windows.h>

#include "vxosd.h"
#include "vxutil.h"

namespace keyhost {
namespace {

constexpr char kSection[] = "OSD";
constexpr struct {
    const char* name;
    int value;
} kDefaults[] = {{kMonitorSetting, 1}, {kFullScreenSetting, 1}, {kAnnounceSetting, 1}};

// The monitor's DPI; GetDpiForMonitor exists from Windows 8.1 on, so it is
// looked up rather than imported, and the system DPI stands in before that.
UINT monitor_dpi(HMONITOR monitor)
{
    using GetDpi = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const auto get_dpi = reinterpret_cast<GetDpi>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"shcore.dll"), "GetDpiForMonitor")));
    UINT x = 0;
    UINT y = 0;
    if (get_dpi && SUCCEEDED(get_dpi(monitor, 0 /* MDT_EFFECTIVE_DPI */, &x, &y)) && y)
        return y;
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

HMONITOR display_monitor()
{
    switch (display_setting(kMonitorSetting)) {
    case 1: return MonitorFromWindow(GetForegroundWindow(), MONITOR_DEFAULTTOPRIMARY);
    case 2: {
        POINT at{};
        GetCursorPos(&at);
        return MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST);
    }
    default: return MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    }
}

} // namespace

ScreenPoint indicator_position(int right, int up)
{
    const HMONITOR monitor = display_monitor();
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info))
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &info.rcWork, 0);
    const int dpi = static_cast<int>(monitor_dpi(monitor));
    return {info.rcWork.left + MulDiv(right, dpi, 96), info.rcWork.bottom - MulDiv(up, dpi, 96)};
}

void write_display_defaults()
{
    for (const auto& setting : kDefaults) {
        int value = 0;
        if (!Reg_GetProfileNumber(kSection, setting.name, &value, 0))
            Reg_SetProfileNumber(kSection, setting.name, setting.value);
    }
}

int display_setting(const char* name)
{
    int value = 0;
    Reg_GetProfileNumber(kSection, name, &value, 0);
    return value;
}

void change_display_setting(const char* name, int value)
{
    Reg_SetProfileNumber(kSection, name, value);
    OSD_LoadSettings();
}

} // namespace keyhost
