// The module handle of the library that holds this code.
#pragma once
#include <windows.h>

namespace vx::osd {

// VXOSD.dll's handle when loaded as the DLL; the test program's own handle
// when the code is linked into it statically (its resources are linked in
// too).
HMODULE this_module();
void set_this_module(HMODULE module);

} // namespace vx::osd
