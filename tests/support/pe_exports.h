// Reads the names in a loaded module's export directory.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace vxtest {

std::vector<std::string> exported_names(HMODULE module);

// The folder of the running test program, with a trailing backslash.
std::string program_folder();

} // namespace vxtest
