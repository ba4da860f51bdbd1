// Program start of setup: configuration record, thread locale, script,
// pre-run programs, switches, then the main window and its message loop.
#pragma once
#include <windows.h>

#include "setup_config.h"

namespace vx::setup {

// Limits the search for DLLs loaded by bare name to the system folder where
// Windows can do that.
void restrict_dll_search();

// Fixes the thread's user-interface language on NT (a no-op elsewhere).
void choose_thread_locale(bool nt_family);

// The whole run; returns the process exit code.
int run_setup(HINSTANCE instance, const char* command_line, Role role);

} // namespace vx::setup
