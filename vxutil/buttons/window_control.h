// Window and power control behind the window exports (declared in vxutil.h).
#pragma once
#include <windows.h>

namespace vx::windows {

// Longest walk of the top-level window list: the list can change while it is
// walked, and a walk that never comes back to its start must still end.
inline constexpr int kMaxWindowWalk = 100000;

} // namespace vx::windows
