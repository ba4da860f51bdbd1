// Starting the programs setup runs: pre-run helpers, the registry editor,
// the 64-bit helper and the chained installers.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "run_failure.h"

namespace vx::setup {

// CreateProcessA with no application name, no inherited handles, no
// creation flags, the inherited environment and a zeroed STARTUPINFOA.
// working_folder null: setup's current folder. Returns the process handle
// (the thread handle is closed), or null when the program did not start;
// then *error (when given) holds CreateProcessA's GetLastError.
HANDLE start_program(const std::string& command_line, const char* working_folder, DWORD* error = nullptr);

// Waits for the process to end, without a time limit, answering meanwhile
// the messages other threads send to this thread's windows (posted ones stay
// queued in their order). False when the wait failed.
bool wait_for_process(HANDLE process);

// Waits as wait_for_process and returns the exit code (259 included): 0 for
// a null handle, a failed wait or an unreadable code. Closes the handle.
DWORD wait_for_exit_code(HANDLE process);

// Starts the 64-bit registry helper with a private marker in its
// environment, naming this process as its launcher, which has run the
// pre-run programs.
HANDLE start_registry_helper(const std::string& command_line, const char* working_folder);

// Reads the launcher's marker and removes it from this process's
// environment, so that nothing started from here inherits it. True only when
// it names the process that started this one: a marker inherited from any
// other ancestor (a deployment tool's environment, say) does not count.
bool take_launcher_marker();

// The id of the process that started this one, 0 when unknown.
DWORD parent_process_id();

// Runs the [PreRun Programs] of the script. A program path that does not fit
// MAX_PATH stops the walk there with a failure; a program that does not
// start is skipped.
RunFailure RunPreRunPrograms();

// The paths of [Add Registry Files] in order; a failure (and no paths) when
// one does not fit MAX_PATH.
RunFailure registry_file_paths(std::vector<std::string>& paths);

// Imports the .reg files of [Add Registry Files] with the registry editor;
// imports none when a path does not fit.
RunFailure AddRegistryFiles();

// The command line handed to regedit for one file: the editor's full path in
// the (system-wide) Windows folder, quoted, then /S and the quoted file path.
std::string registry_import_command(const char* windows_folder, const std::string& reg_path);

} // namespace vx::setup
