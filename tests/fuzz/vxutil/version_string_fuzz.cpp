// FileVersion texts of outside executables read as four numbers, checked
// against a slow reference: blanks dropped, fields split at ',' and '.', each
// field read by strtol where its number is short enough to hold exactly.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/version_string.h"

namespace {

// The expected four numbers, or false when a field's digits could overflow.
bool reference(std::string_view text, std::uint32_t (&numbers)[4])
{
    std::string compact;
    for (char c : text.substr(0, text.find('\0'))) {
        if (c != ' ')
            compact += c;
    }
    std::size_t start = 0;
    for (int n = 0; n < 4; ++n) {
        const std::size_t end = std::min(compact.find_first_of(",.", start), compact.size());
        const std::string field = compact.substr(start, end - start);
        std::size_t digits = 0;
        for (char c : field)
            digits += c >= '0' && c <= '9';
        if (digits > 9)
            return false;
        numbers[n] = static_cast<std::uint32_t>(std::strtol(field.c_str(), nullptr, 10));
        if (end == compact.size()) {
            for (int rest = n + 1; rest < 4; ++rest)
                numbers[rest] = 0;
            return true;
        }
        start = end + 1;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const vx::files::FileVersion version = vx::files::parse_version_string(text);
    std::uint32_t n[4];
    if (reference(text, n) && (version.high != n[0] * 65536u + n[1] || version.low != n[2] * 65536u + n[3]))
        std::abort();
    return 0;
}
