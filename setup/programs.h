// Starting the programs setup runs: pre-run helpers, the registry editor,
// the 64-bit helper and the chained installers.
#pragma once
#include <windows.h>

#include <string>

namespace vx::setup {

// CreateProcessA with no application name, no inherited handles, no
// creation flags, the inherited environment and a zeroed STARTUPINFOA.
// working_folder null: setup's current folder. Returns the process handle
// (the thread handle is closed), or null when the program did not start.
HANDLE start_program(const std::string& command_line, const char* working_folder);

// Waits for the process without a time limit and returns its exit code
// (259 included): 0 for a null handle, a failed wait or an unreadable code.
// Closes the handle.
DWORD wait_for_exit_code(HANDLE process);

// Runs the [PreRun Programs] of the script.
void RunPreRunPrograms();

// Imports the .reg files of [Add Registry Files] with the registry editor.
void AddRegistryFiles();

// The command line handed to regedit for one file: the editor's full path in
// the Windows folder, quoted, then /S and the quoted file path.
std::string registry_import_command(const char* windows_folder, const std::string& reg_path);

} // namespace vx::setup
