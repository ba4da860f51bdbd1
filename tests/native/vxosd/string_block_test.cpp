#include <gtest/gtest.h>

#include <vector>

#include "core/string_block.h"

using vx::osd::string_in_block;

namespace {
std::vector<std::uint8_t> block_of(const std::vector<std::u16string>& strings)
{
    std::vector<std::uint8_t> b;
    for (const auto& s : strings) {
        b.push_back(static_cast<std::uint8_t>(s.size() & 0xFF));
        b.push_back(static_cast<std::uint8_t>(s.size() >> 8));
        for (char16_t c : s) {
            b.push_back(static_cast<std::uint8_t>(c & 0xFF));
            b.push_back(static_cast<std::uint8_t>(c >> 8));
        }
    }
    return b;
}
} // namespace

TEST(StringBlock, FindsTheStringAtItsIndex)
{
    const auto block = block_of({u"", u"Mute On", u"Mute Off", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"",
                                 u"", u"Stumm ein"});
    EXPECT_EQ(u"Mute On", string_in_block(block, 1));
    EXPECT_EQ(u"Mute Off", string_in_block(block, 2));
    EXPECT_EQ(u"Stumm ein", string_in_block(block, 15));
    EXPECT_EQ(u"", string_in_block(block, 0));
    EXPECT_EQ(u"", string_in_block(block, 16));
}

TEST(StringBlock, ShortOrLyingBlocksGiveNothing)
{
    auto block = block_of({u"", u"Mute On"});
    block.resize(block.size() - 1); // last character cut in half
    EXPECT_EQ(u"", string_in_block(block, 1));
    const std::vector<std::uint8_t> lying{0xFF, 0xFF, 'a', 0};
    EXPECT_EQ(u"", string_in_block(lying, 0));
    EXPECT_EQ(u"", string_in_block({}, 0));
    const std::vector<std::uint8_t> odd{0};
    EXPECT_EQ(u"", string_in_block(odd, 0));
}

TEST(StringBlock, FillNumberReplacesTheFirstPlaceholderOnly)
{
    EXPECT_EQ(u"Volume 45 %", vx::osd::fill_number(u"Volume %d %", 45));
    EXPECT_EQ(u"-2147483648 %d", vx::osd::fill_number(u"%d %d", INT32_MIN));
    EXPECT_EQ(u"Caps Lock on", vx::osd::fill_number(u"Caps Lock on", 7));
}
