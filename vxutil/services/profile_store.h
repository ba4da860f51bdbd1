// The registry profile store behind the Reg_* exports (declared in vxutil.h).
#pragma once

#include <windows.h>

namespace vx::profile {

// Reg_GetValueString in a chosen registry view (0, KEY_WOW64_32KEY or
// KEY_WOW64_64KEY): always terminated text, or 0.
int read_text(HKEY root, const char* subkey, const char* name, char* buffer, int size, REGSAM view);

// The same in this process's registry view, else in the other one. Programs
// register themselves (App Paths, player folders) in the view of their own
// architecture, and a 32-bit host on 64-bit Windows must find a 64-bit
// player as a 64-bit host finds a 32-bit one. An expandable text of the other
// view expands with that view's Program Files and Common Files folders.
int read_text_any_view(HKEY root, const char* subkey, const char* name, char* buffer, int size);

// Back to the state of a freshly loaded library: empty root and user name,
// user mode.
void reset_for_tests();

} // namespace vx::profile
