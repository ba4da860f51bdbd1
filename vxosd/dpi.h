// The DPI a display is laid out for: that of the monitor it appears on, as
// the host's thread sees it. A DPI-unaware thread sees 96 everywhere (Windows
// scales its windows), a system-aware one the system DPI, and a
// per-monitor-aware one each monitor's own.
#pragma once
#include <windows.h>

#include "core/geometry.h"

namespace vx::osd {

// The DPI for a display on `monitor` (the system DPI when the monitor's own
// cannot be had).
int dpi_for_monitor(HMONITOR monitor);
// The same for the primary monitor.
int primary_dpi();
// The system DPI as the thread sees it (LOGPIXELSY of the screen): what
// font heights in pixels were made for.
int system_dpi();

} // namespace vx::osd
