// FileVersion texts of outside executables read as four numbers.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/version_string.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    vx::files::parse_version_string(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
