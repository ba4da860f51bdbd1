// Monitor family: Wine on one X screen reports a single monitor, so tests
// describe monitors of other sizes and places (left of or above the primary,
// unplugged between two shows) through this struct, while windows, regions
// and pixels stay real.
#pragma once
#include <windows.h>

namespace vx::osd::platform {

struct MonitorSeam {
    HMONITOR(WINAPI* MonitorFromWindow)(HWND, DWORD);
    HMONITOR(WINAPI* MonitorFromPoint)(POINT, DWORD);
    BOOL(WINAPI* GetMonitorInfoA)(HMONITOR, LPMONITORINFO);
};

MonitorSeam& monitors();

} // namespace vx::osd::platform
