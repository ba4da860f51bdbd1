// Title band line breaking, with 10 pixels per character as the measure.
#include <gtest/gtest.h>

#include "core/title_layout.h"

using vx::setup::break_title;
using vx::setup::TitleLines;

namespace {
int ten_per_char(std::string_view s) { return static_cast<int>(s.size()) * 10; }
} // namespace

TEST(TitleLayout, FittingTitleStaysWhole)
{
    TitleLines l = break_title("Keyboard Setup", 155, ten_per_char); // 140 + 15
    EXPECT_EQ("Keyboard Setup", l.first);
    EXPECT_FALSE(l.two_lines);
}

TEST(TitleLayout, BreaksAtMostOnceAtTheRightmostFittingBlank)
{
    // "Alpha Beta  Gamma Delta": cut positions 5, 10 (the first of two blanks), 17.
    TitleLines l = break_title("Alpha Beta  Gamma Delta", 15 + 110, ten_per_char);
    EXPECT_TRUE(l.two_lines);
    EXPECT_EQ("Alpha Beta", l.first);
    EXPECT_EQ("Gamma Delta", l.second); // leading blanks skipped, never measured
    l = break_title("Alpha Beta  Gamma Delta", 15 + 170, ten_per_char);
    EXPECT_EQ("Alpha Beta  Gamma", l.first);
    EXPECT_EQ("Delta", l.second);
}

TEST(TitleLayout, FirstWordTooWideShowsAlone)
{
    TitleLines l = break_title("Extraordinarily long title", 40, ten_per_char);
    EXPECT_FALSE(l.two_lines);
    EXPECT_EQ("Extraordinarily", l.first);
    EXPECT_TRUE(l.second.empty());
}

TEST(TitleLayout, TitleWithoutBlankOrWithOnlyLeadingBlankStaysWhole)
{
    EXPECT_EQ("Unbreakable", break_title("Unbreakable", 20, ten_per_char).first);
    TitleLines l = break_title(" Leading", 20, ten_per_char);
    EXPECT_EQ(" Leading", l.first);
    EXPECT_FALSE(l.two_lines);
    EXPECT_EQ("", break_title("", 0, ten_per_char).first);
}
