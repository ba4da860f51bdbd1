#include "core/version_string.h"

namespace vx::files {
namespace {

// atoi without its undefined overflow: optional blanks and sign, then digits,
// wrapping in 32 bits.
std::uint32_t leading_number(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == '\t' || text[i] == '\n' || text[i] == '\v' || text[i] == '\f' ||
                               text[i] == '\r'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10 + static_cast<std::uint32_t>(text[i] - '0');
    return negative ? 0u - value : value;
}

} // namespace

FileVersion parse_version_string(std::string_view text)
{
    std::string compact;
    compact.reserve(text.size());
    for (char c : text) {
        if (c == '\0')
            break;
        if (c != ' ')
            compact += c;
    }
    std::uint32_t numbers[4] = {};
    std::size_t pos = 0;
    for (int n = 0; n < 4 && pos <= compact.size(); ++n) {
        std::size_t end = compact.find_first_of(",.", pos);
        if (end == std::string::npos)
            end = compact.size();
        numbers[n] = leading_number(std::string_view(compact).substr(pos, end - pos));
        if (end == compact.size())
            break;
        pos = end + 1;
    }
    return {numbers[0] * 65536u + numbers[1], numbers[2] * 65536u + numbers[3]};
}

std::string version_value_path(std::uint16_t language, std::uint16_t code_page, std::string_view name)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string path = "\\StringFileInfo\\";
    for (std::uint16_t word : {language, code_page}) {
        for (int shift = 12; shift >= 0; shift -= 4)
            path += kDigits[(word >> shift) & 0xF];
    }
    path += '\\';
    path += name;
    return path;
}

} // namespace vx::files
