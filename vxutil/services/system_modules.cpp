#include "services/system_modules.h"

#include <cstring>

namespace vx {

HMODULE load_system_library(const char* name)
{
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, sizeof path);
    const std::size_t name_length = std::strlen(name);
    if (length == 0 || length + 1 + name_length >= sizeof path)
        return nullptr;
    path[length] = '\\';
    std::memcpy(path + length + 1, name, name_length + 1);
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

} // namespace vx
