#include "platform/monitor_seam.h"

#include "platform/system_function.h"

namespace vx::osd::platform {
namespace {

HRESULT WINAPI dpi_for_monitor(HMONITOR monitor, int type, UINT* x, UINT* y)
{
    using Fn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const auto fn = system_function_as<Fn>("shcore.dll", "GetDpiForMonitor");
    return fn ? fn(monitor, type, x, y) : E_NOTIMPL;
}

} // namespace

MonitorSeam& monitors()
{
    static MonitorSeam seam{::MonitorFromWindow, ::MonitorFromPoint, ::GetMonitorInfoA, dpi_for_monitor};
    return seam;
}

} // namespace vx::osd::platform
