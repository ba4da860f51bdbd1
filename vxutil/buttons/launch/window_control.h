// Window activation helpers shared by the launchers (the exports are
// declared in vxutil.h).
#pragma once
#include <windows.h>

namespace vx::windows {

// True when the thread of `window` answers a message within a short time.
// Sharing input state with a thread that does not (a hung or busy program)
// would make the next activation wait for it.
bool answers_promptly(HWND window);

} // namespace vx::windows
