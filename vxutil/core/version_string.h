// Reading a version resource's FileVersion text as four numbers, and naming
// the string values of a version resource. No Windows header.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vx::files {

struct FileVersion {
    std::uint32_t high; // first number << 16 | second (each wrapping in 32 bits)
    std::uint32_t low;  // third number << 16 | fourth
};

// Blanks are removed; up to four numbers end at ',' or '.' or the end of the
// text; each reads like atoi (leading digits, anything after them ignored);
// missing numbers are 0. "6.1.7600.16385 (label)" gives 6, 1, 7600, 16385.
FileVersion parse_version_string(std::string_view text);

// "\StringFileInfo\<language><code page>\<name>", both numbers as four
// lowercase hexadecimal digits: 0x409, 1200, "FileVersion" gives
// "\StringFileInfo\040904b0\FileVersion".
std::string version_value_path(std::uint16_t language, std::uint16_t code_page, std::string_view name);

} // namespace vx::files
