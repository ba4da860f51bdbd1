#include "display_placement.h"

#include <algorithm>

#include "display_window.h"
#include "osd_state.h"
#include "platform/desktop_seam.h"
#include "platform/monitor_seam.h"
#include "platform/version_language_seam.h"

namespace vx::osd {
namespace {

ScreenArea primary_screen()
{
    ScreenArea screen;
    screen.cx = GetSystemMetrics(SM_CXSCREEN);
    screen.cy = GetSystemMetrics(SM_CYSCREEN);
    screen.monitor = RECT{0, 0, screen.cx, screen.cy};
    return screen;
}


bool from_monitor(HMONITOR monitor, ScreenArea& screen)
{
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!monitor || !platform::monitors().GetMonitorInfoA(monitor, &info))
        return false;
    const RECT& m = info.rcMonitor;
    if (m.right <= m.left || m.bottom <= m.top)
        return false;
    screen.handle = monitor;
    screen.monitor = m;
    screen.cx = m.right - m.left;
    screen.cy = m.bottom - m.top;
    screen.work = RECT{info.rcWork.left - m.left, info.rcWork.top - m.top, info.rcWork.right - m.left,
                       info.rcWork.bottom - m.top};
    screen.has_work = true;
    return true;
}

HMONITOR chosen_monitor(int choice)
{
    const platform::MonitorSeam& seam = platform::monitors();
    if (choice == kForegroundMonitor) {
        HWND foreground = platform::desktop().GetForegroundWindow();
        return foreground ? seam.MonitorFromWindow(foreground, MONITOR_DEFAULTTOPRIMARY) : nullptr;
    }
    POINT pointer{};
    return GetCursorPos(&pointer) ? seam.MonitorFromPoint(pointer, MONITOR_DEFAULTTOPRIMARY) : nullptr;
}

const char* full_screen_reason(QUERY_USER_NOTIFICATION_STATE notification)
{
    switch (notification) {
    case QUNS_BUSY: return "OSD left out: a full-screen program runs\n";
    case QUNS_RUNNING_D3D_FULL_SCREEN: return "OSD left out: a full-screen Direct3D program runs\n";
    case QUNS_PRESENTATION_MODE: return "OSD left out: presentation mode is on\n";
    default: return nullptr;
    }
}

// Whether the foreground window covers `monitor` (screen coordinates), as a
// full-screen program's window does. The desktop covers every monitor and is
// no program.
bool foreground_covers(const RECT& monitor)
{
    HWND foreground = platform::desktop().GetForegroundWindow();
    if (!foreground || foreground == GetDesktopWindow() || foreground == GetShellWindow() || IsIconic(foreground))
        return false;
    char name[16] = {};
    if (GetClassNameA(foreground, name, sizeof name) && !lstrcmpA(name, "WorkerW"))
        return false; // the desktop's icon layer
    RECT r{};
    return GetWindowRect(foreground, &r) && r.left <= monitor.left && r.top <= monitor.top &&
           r.right >= monitor.right && r.bottom >= monitor.bottom;
}

RECT primary_rect() { return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

} // namespace

bool same_rect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

ScreenArea choose_screen()
{
    const int choice = state().settings.monitor;
    if (choice == kPrimaryMonitor)
        return primary_screen();
    ScreenArea screen;
    constexpr POINT kPrimaryOrigin{0, 0};
    if (from_monitor(chosen_monitor(choice), screen) ||
        from_monitor(platform::monitors().MonitorFromPoint(kPrimaryOrigin, MONITOR_DEFAULTTOPRIMARY), screen))
        return screen;
    return primary_screen();
}

int work_area_bottom(const ScreenArea& screen)
{
    if (screen.has_work)
        return screen.work.bottom;
    RECT work{};
    return SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0) ? work.bottom : screen.cy;
}

void place_display(HWND display, const ScreenArea& screen)
{
    OsdState& s = state();
    if (same_rect(s.display_rect, screen.monitor))
        return;
    // Moved before its new region goes in, so the new shape never appears
    // on the old monitor; what it uncovers there is repainted.
    const RECT& m = screen.monitor;
    SetWindowPos(display, nullptr, m.left, m.top, screen.cx, screen.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    s.display_rect = m;
}

POINT indicator_corner(const ScreenArea& screen, int x, int y, int width, int height)
{
    const RECT& m = screen.monitor;
    auto clamp = [](LONG v, LONG low, LONG high) { return std::max(low, std::min(v, high)); };
    return POINT{clamp(m.left + x, m.left, m.right - width), clamp(m.top + y - height, m.top, m.bottom - height)};
}

RECT monitor_of_window(HWND window)
{
    ScreenArea screen;
    if (from_monitor(platform::monitors().MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), screen))
        return screen.monitor;
    return primary_rect();
}

RECT monitor_at(POINT point)
{
    ScreenArea screen;
    if (from_monitor(platform::monitors().MonitorFromPoint(point, MONITOR_DEFAULTTOPRIMARY), screen))
        return screen.monitor;
    return primary_rect();
}

bool left_out_for_full_screen(const RECT& monitor)
{
    QUERY_USER_NOTIFICATION_STATE notification{};
    if (FAILED(platform::os().SHQueryUserNotificationState(&notification)))
        return false;
    const char* reason = full_screen_reason(notification);
    if (!reason)
        return false;
    // The shell reports a full-screen program on any monitor (and at times
    // over an empty desktop): it silences only the monitor the foreground
    // window covers. Presentation mode is the user's word for every monitor.
    if (notification != QUNS_PRESENTATION_MODE && !foreground_covers(monitor))
        return false;
    debug_string(reason);
    return true;
}

} // namespace vx::osd
