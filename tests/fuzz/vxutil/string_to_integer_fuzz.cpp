// Registry number texts through the decimal/hexadecimal reader, checked
// against a slow reference: the text up to the first character that is no
// digit, letter a-f or x, read by the C library from its last x on (or as
// decimal digits with the letters left out), wrapped to 32 bits.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/text_fields.h"

namespace {

bool is_hex_letter(char c) { return (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The expected value, or false when the digits are too many for strtoull.
bool reference(std::string_view text, std::uint32_t& value)
{
    std::size_t end = 0;
    while (end < text.size() && (is_digit(text[end]) || is_hex_letter(text[end]) || text[end] == 'x' || text[end] == 'X'))
        ++end;
    const std::string_view scanned = text.substr(0, end);
    const std::size_t x = scanned.find_last_of("xX");
    const bool hex = x != std::string_view::npos;
    std::string digits;
    for (char c : hex ? scanned.substr(x + 1) : scanned) {
        if (hex || is_digit(c))
            digits += c;
    }
    // Only the low 32 bits count: the last 8 hexadecimal digits decide them;
    // decimal texts are compared while strtoull holds them exactly.
    if (hex && digits.size() > 8)
        digits.erase(0, digits.size() - 8);
    if (!hex && digits.size() > 19)
        return false;
    value = digits.empty() ? 0 : static_cast<std::uint32_t>(std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10));
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto value = static_cast<std::uint32_t>(vx::text::string_to_integer(text));
    std::uint32_t expected = 0;
    if (reference(text, expected) && value != expected)
        std::abort();
    // Every 32-bit value survives being written out and read back.
    std::uint32_t any = 0;
    for (std::size_t i = 0; i < size && i < 4; ++i)
        any = any << 8 | data[i];
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", any);
    if (static_cast<std::uint32_t>(vx::text::string_to_integer(std::to_string(any))) != any ||
        static_cast<std::uint32_t>(vx::text::string_to_integer(hex)) != any)
        std::abort();
    return 0;
}
