// The registry profile store behind the Reg_* exports (declared in vxutil.h).
#pragma once

namespace vx::profile {

// Back to the state of a freshly loaded library: empty root and user name,
// user mode.
void reset_for_tests();

} // namespace vx::profile
