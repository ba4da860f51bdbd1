// Where and whether a show goes: the monitor it is laid out on, chosen once
// per show by the "Monitor" setting, and the "FullScreen" rule.
#pragma once
#include <windows.h>

namespace vx::osd {

// The screen a show is laid out on. Layouts work in its own coordinates
// ((0, 0) is the monitor's top-left corner), as the display window covers
// exactly this monitor.
struct ScreenArea {
    HMONITOR handle = nullptr; // null: the primary screen from the system metrics
    RECT monitor{};        // in screen coordinates
    int cx = 0;            // its size: what the layouts scale by
    int cy = 0;
    bool has_work = false; // the work area below is known
    RECT work{};           // monitor-relative
};

// With "Monitor" 0 the primary screen from the system metrics, exactly as
// without the setting; else the chosen monitor, or the primary one when it
// cannot be found (unplugged since).
ScreenArea choose_screen();

// The bottom of the screen's work area, monitor-relative.
int work_area_bottom(const ScreenArea& screen);

// Moves the display window onto the screen's monitor when it covers another.
void place_display(HWND display, const ScreenArea& screen);

// Where an indicator whose bottom-left corner the caller gives at (x, y)
// goes on the screen: the point is taken relative to the monitor, and the
// window kept inside it.
POINT indicator_corner(const ScreenArea& screen, int x, int y, int width, int height);

bool same_rect(const RECT& a, const RECT& b);

// The monitor a window is on, and the one a point is on (the primary one
// when none is found), in screen coordinates.
RECT monitor_of_window(HWND window);
RECT monitor_at(POINT point);

// True when the "FullScreen" setting leaves out a picture that would appear
// on `monitor`: presentation mode is on, or the shell reports a full-screen
// program (Direct3D or other) and the foreground window covers that monitor.
// The debug string says why.
bool left_out_for_full_screen(const RECT& monitor);

} // namespace vx::osd
