#include "platform/monitor_seam.h"

namespace vx::osd::platform {

MonitorSeam& monitors()
{
    static MonitorSeam seam{::MonitorFromWindow, ::MonitorFromPoint, ::GetMonitorInfoA};
    return seam;
}

} // namespace vx::osd::platform
