#include <gtest/gtest.h>

#include "core/text_layout.h"

using namespace vx::osd;

TEST(TextLayout, CallerRectangleIsRescaledFromA1024x768Screen)
{
    EXPECT_EQ((Rect{0, 0, 984, 708}), rescale_caller_rect({0, 0, 984, 728}, 1024, 768));
    // Margins grow with the screen: 40 * 1920 / 1024 = 75, 40 * 1080 / 768 = 56.
    EXPECT_EQ((Rect{5, 6, 1845, 1004}), rescale_caller_rect({5, 6, 1880, 1040}, 1920, 1080));
    // Absurd rectangles wrap instead of overflowing.
    const Rect wild = rescale_caller_rect({0, 0, INT32_MIN, INT32_MAX}, 3840, 2160);
    EXPECT_EQ(0, wild.left);
    // At 192 DPI the rule holds in logical units: 20 logical pixels stay
    // free below, 40 drawn ones.
    EXPECT_EQ((Rect{5, 6, 1968, 1416}), rescale_caller_rect({5, 6, 1968, 1456}, 2048, 1536, DpiScale{192}));
}

TEST(TextLayout, MuteTextSitsLeftOfItsIconAtTheBottomRight)
{
    TextLayoutInput in;
    in.rect = {0, 0, 984, 708};
    in.cx = 1024;
    in.cy = 768;
    in.text_width = 120;
    in.text_height = 42;
    in.has_icon = true;
    in.bitmap_width = 48;
    in.bitmap_height = 48;
    in.format = kDtSingleLine | kDtBottom | kDtRight;
    const TextLayout l = layout_text(in);
    EXPECT_EQ((Rect{936, 708 - 42 + (42 - 48) / 2, 984, 708 - 42 + (42 - 48) / 2 + 48}), l.icon);
    EXPECT_EQ(52, l.icon_space);
    EXPECT_EQ((Rect{40, 0, 984 - 52, 708}), l.draw);
    EXPECT_EQ(in.format, l.format);
    in.format |= kDtModifyString;
    EXPECT_EQ(kDtSingleLine | kDtBottom | kDtRight, layout_text(in).format) << "DrawTextA never writes into the text";
    EXPECT_EQ((Rect{984 - 120 - 52, 708 - 42, 984, 708}), l.band);
    EXPECT_EQ(984, l.bitmap_width);
    EXPECT_EQ(708, l.bitmap_height);

    // At 192 DPI on a 2048 x 1536 screen the icon, its space and the margin
    // are twice as large; the measured text is in pixels already.
    in.rect = {0, 0, 1968, 1416};
    in.cx = 2048;
    in.cy = 1536;
    in.dpi = DpiScale{192};
    const TextLayout l2 = layout_text(in);
    EXPECT_EQ(96, l2.icon.height());
    EXPECT_EQ((Rect{80, 0, 1968 - 104, 1416}), l2.draw);
}

TEST(TextLayout, TooWideTextIsCutAndDrawnFromTheLeftMargin)
{
    TextLayoutInput in;
    in.rect = {0, 0, 1024, 768};
    in.cx = 1024;
    in.cy = 768;
    in.text_width = 5000;
    in.text_height = 30;
    in.format = kDtSingleLine | kDtBottom | kDtRight;
    const TextLayout l = layout_text(in);
    EXPECT_EQ(1024 - 40, l.text_width);
    EXPECT_EQ(kDtSingleLine | kDtBottom, l.format);
    EXPECT_EQ((Rect{40, 738, 1024, 768}), l.band);
}

TEST(TextLayout, BandNeverLeavesTheSurface)
{
    TextLayoutInput in;
    in.rect = {0, 0, 300, 20};
    in.cx = 1024;
    in.cy = 768;
    in.text_width = 200;
    in.text_height = 60; // taller than the rectangle
    in.has_icon = true;
    in.bitmap_width = 48;
    in.bitmap_height = 48;
    const TextLayout l = layout_text(in);
    EXPECT_EQ((Rect{48, 0, 300, 20}), l.band);

    in.rect = {0, 0, -10, -10};
    EXPECT_TRUE(layout_text(in).band.empty());
}

TEST(TextLayout, NumberBandIsTwoDigitsWideAtTheRightEnd)
{
    const NumberLayout n = layout_number(572, 738, 30, 42, 1024);
    EXPECT_EQ((Rect{40, 0, 602, 738}), n.draw);
    EXPECT_EQ(602, n.bitmap_width);
    EXPECT_EQ((Rect{572, 696, 602, 738}), n.band);
    // Right edge close to the left margin: the band shrinks to what is right of it.
    const NumberLayout narrow = layout_number(20, 100, 30, 42, 1024);
    EXPECT_EQ((Rect{40, 58, 50, 100}), narrow.band);
}
