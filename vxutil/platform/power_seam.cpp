#include "platform/power_seam.h"

#include <powrprof.h>

namespace vx::platform {

PowerSeam& power()
{
    static PowerSeam seam{::LockWorkStation,  ::SetSuspendState,       ::OpenProcessToken,
                          ::LookupPrivilegeValueA, ::AdjustTokenPrivileges, ::CloseHandle};
    return seam;
}

} // namespace vx::platform
