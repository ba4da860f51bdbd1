// Monitor family: Wine on one X screen reports a single monitor, so tests
// describe monitors of other sizes and places (left of or above the primary,
// unplugged between two shows, of another DPI) through this struct, while
// windows, regions and pixels stay real.
#pragma once
#include <windows.h>

namespace vx::osd::platform {

struct MonitorSeam {
    HMONITOR(WINAPI* MonitorFromWindow)(HWND, DWORD);
    HMONITOR(WINAPI* MonitorFromPoint)(POINT, DWORD);
    BOOL(WINAPI* GetMonitorInfoA)(HMONITOR, LPMONITORINFO);
    // shcore's GetDpiForMonitor (Windows 8.1 and later, looked up when first
    // used; E_NOTIMPL without it). The type is a MONITOR_DPI_TYPE.
    HRESULT(WINAPI* GetDpiForMonitor)(HMONITOR, int, UINT*, UINT*);
};

MonitorSeam& monitors();

} // namespace vx::osd::platform
