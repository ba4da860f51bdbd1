// Files of the Windows system folder by full path: DLLs and programs are never
// taken from the host program's folder, the current folder or the search
// path, where a planted copy could sit.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace vx {

// "<system folder>\<name>"; "" when the path does not fit in MAX_PATH.
std::string system_folder_file(const char* name);

// The program `name` of the system folder of the running Windows. A 32-bit
// process on 64-bit Windows sees the 32-bit system folder in place of
// System32, so there the 64-bit program is reached through "Sysnative" when
// it exists. "" when the path does not fit.
std::string native_system_program(const char* name);

// True in a 32-bit process on 64-bit Windows.
bool running_under_wow64();

// The shared Common Files folders, the one of the running Windows' own
// architecture first, each once. A 32-bit process on 64-bit Windows is told
// only of the x86 folder, so there the 64-bit one comes from the environment
// (CommonProgramW6432) or else the registry (CommonW6432Dir).
std::vector<std::string> common_files_folders();

// LoadLibrary of "<system folder>\<name>"; null when the path does not fit
// or the module cannot be loaded. Free with FreeLibrary.
HMODULE load_system_library(const char* name);

} // namespace vx
