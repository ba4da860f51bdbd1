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

// Waits for the process to end, without a time limit, answering meanwhile
// the messages other threads send to this thread's windows (posted ones stay
// queued in their order). False when the wait failed.
bool wait_for_process(HANDLE process);

// Waits as wait_for_process and returns the exit code (259 included): 0 for
// a null handle, a failed wait or an unreadable code. Closes the handle.
DWORD wait_for_exit_code(HANDLE process);

// Starts the 64-bit registry helper with a private marker in its
// environment, telling it that the launcher has run the pre-run programs.
HANDLE start_registry_helper(const std::string& command_line, const char* working_folder);

// True in a helper that the launcher started (start_registry_helper).
bool started_by_launcher();

// Runs the [PreRun Programs] of the script.
void RunPreRunPrograms();

// Imports the .reg files of [Add Registry Files] with the registry editor.
void AddRegistryFiles();

// The command line handed to regedit for one file: the editor's full path in
// the (system-wide) Windows folder, quoted, then /S and the quoted file path.
std::string registry_import_command(const char* windows_folder, const std::string& reg_path);

} // namespace vx::setup
