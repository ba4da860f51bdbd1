// Program start of setup: configuration record, thread locale, script,
// pre-run programs, switches, then the main window and its message loop.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "run_failure.h"
#include "setup_config.h"

namespace vx::setup {

// Limits the search for DLLs loaded by bare name to the system folder where
// Windows can do that.
void restrict_dll_search();

// Fixes the thread's user-interface language on NT (a no-op elsewhere).
void choose_thread_locale(bool nt_family);

// The setup folder of a program path (UTF-16, as GetModuleFileNameW gives
// it) in the form the ANSI functions take: the folder itself, or its short
// (8.3) form when its name has characters outside the ANSI code page. A
// failure, naming the folder, when no such form exists or the script path in
// it would not fit MAX_PATH.
struct SetupFolderChoice {
    std::string folder;
    RunFailure failure;
};
SetupFolderChoice setup_folder_of(std::wstring_view module_path);

// The whole run; returns the process exit code.
int run_setup(HINSTANCE instance, const char* command_line, Role role);

} // namespace vx::setup
