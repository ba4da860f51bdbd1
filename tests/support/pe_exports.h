// Reads the names in a loaded module's export directory.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace vxtest {

std::vector<std::string> exported_names(HMODULE module);

// The folder of the running test program, with a trailing backslash.
std::string program_folder();

// A DLL beside the test program, loaded for the length of a scope.
struct LoadedDll {
    explicit LoadedDll(const char* name);
    ~LoadedDll();
    LoadedDll(const LoadedDll&) = delete;
    LoadedDll& operator=(const LoadedDll&) = delete;
    HMODULE module;
};

// The export table's names and the declared ones, both sorted, so a test can
// compare them as equal sets.
std::vector<std::string> sorted_exports(HMODULE module);
std::vector<std::string> sorted(std::vector<std::string> names);

} // namespace vxtest
