#include "core/string_block.h"

namespace vx::osd {

namespace {
std::uint16_t read16(std::span<const std::uint8_t> block, std::size_t at)
{
    return static_cast<std::uint16_t>(block[at] | (block[at + 1] << 8));
}
} // namespace

std::u16string string_in_block(std::span<const std::uint8_t> block, unsigned index)
{
    if (index > 15)
        return {};
    std::size_t at = 0;
    for (unsigned i = 0;; ++i) {
        if (block.size() < 2 || at > block.size() - 2)
            return {};
        const std::size_t length = read16(block, at);
        at += 2;
        if (length > (block.size() - at) / 2)
            return {};
        if (i == index) {
            std::u16string text(length, u'\0');
            for (std::size_t c = 0; c < length; ++c)
                text[c] = static_cast<char16_t>(read16(block, at + 2 * c));
            return text;
        }
        at += 2 * length;
    }
}

std::u16string fill_number(std::u16string_view text, std::int64_t number)
{
    std::u16string digits;
    std::uint64_t magnitude = number < 0 ? 0 - static_cast<std::uint64_t>(number) : static_cast<std::uint64_t>(number);
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude);
    if (number < 0)
        digits.insert(digits.begin(), u'-');
    std::u16string out(text);
    const std::size_t at = out.find(u"%d");
    if (at != std::u16string::npos)
        out.replace(at, 2, digits);
    return out;
}

} // namespace vx::osd
