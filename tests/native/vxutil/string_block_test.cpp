#include <gtest/gtest.h>

#include <vector>

#include "core/string_table_block.h"

using vx::resources::string_in_block;

TEST(StringBlock, FindsEntriesByIndexAndRejectsTruncatedBlocks)
{
    // Entries 0 "ab", 1 empty, 2 "c", 3..15 empty.
    std::vector<std::uint16_t> block = {2, 'a', 'b', 0, 1, 'c'};
    block.resize(block.size() + 13, 0);
    EXPECT_EQ(2u, string_in_block(block, 0).size());
    EXPECT_EQ('b', string_in_block(block, 0)[1]);
    EXPECT_TRUE(string_in_block(block, 1).empty());
    ASSERT_EQ(1u, string_in_block(block, 2).size());
    EXPECT_EQ('c', string_in_block(block, 2)[0]);
    EXPECT_TRUE(string_in_block(block, 15).empty());
    EXPECT_TRUE(string_in_block(block, 16).empty());

    const std::vector<std::uint16_t> lying = {500, 'a'};
    EXPECT_TRUE(string_in_block(lying, 0).empty()) << "a length past the block's end";
    EXPECT_TRUE(string_in_block({}, 0).empty());
}
