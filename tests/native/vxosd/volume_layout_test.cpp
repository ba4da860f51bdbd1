#include <gtest/gtest.h>

#include "core/volume_layout.h"

using namespace vx::osd;

namespace {

ClassicVolumeInput classic(std::uint32_t level, std::uint32_t steps, std::uint32_t maximum)
{
    ClassicVolumeInput in;
    in.cx = 1024;
    in.cy = 768;
    in.level = level;
    in.steps = steps;
    in.maximum = maximum;
    in.icon_width = 48;
    in.icon_height = 48;
    return in;
}

FramedVolumeInput framed(std::uint32_t level, std::uint32_t steps, std::uint32_t maximum, bool xp = false)
{
    FramedVolumeInput in;
    in.cx = 1024;
    in.cy = 768;
    in.work_bottom = 738;
    in.xp = xp;
    in.level = level;
    in.steps = steps;
    in.maximum = maximum;
    in.icon_width = 48;
    in.icon_height = 48;
    return in;
}

bool is_full_bar(const Rect& r) { return r.height() == 25; }

} // namespace

TEST(ClassicVolume, WorkedExampleOnA1024x768Screen)
{
    const VolumeShape s = classic_volume(classic(0xFFFF, 32, 0xFFFF));
    // u = 4, h = 25, b = 70; icon 48 x 48 at x 352, top 768 - 70 - 25 + (25 - 48) / 2 = 662.
    EXPECT_EQ((Rect{352, 662, 400, 710}), s.icon);
    ASSERT_EQ(32u, s.rects.size());
    EXPECT_EQ(32u, s.lit);
    // Bars start at 352 + 48 + 12 = 412 with stride (1024 - 8 - 48 - 315 - 352) / 32 = 9;
    // bar top 662 - (25 - 48) / 2 = 673.
    EXPECT_EQ((Rect{412, 673, 416, 698}), s.rects[0]);
    EXPECT_EQ((Rect{412 + 31 * 9, 673, 416 + 31 * 9, 698}), s.rects[31]);
}

TEST(ClassicVolume, ThresholdDividesFirstAndUnlitBarsAreStubs)
{
    // Step 100 / 32 = 3: bar 16 (48 < 50) is lit, bar 17 (51) is not.
    const VolumeShape s = classic_volume(classic(50, 32, 100));
    EXPECT_EQ(17u, s.lit);
    EXPECT_TRUE(is_full_bar(s.rects[16]));
    EXPECT_FALSE(is_full_bar(s.rects[17]));
    EXPECT_EQ((Rect{412 + 17 * 9, 673 + 25 - 4, 416 + 17 * 9, 698}), s.rects[17]);

    const VolumeShape none = classic_volume(classic(0, 32, 100));
    EXPECT_EQ(0u, none.lit);
    for (const Rect& r : none.rects)
        EXPECT_EQ(4, r.height());

    EXPECT_EQ(32u, classic_volume(classic(500, 32, 100)).lit) << "a level above the maximum lights everything";
    EXPECT_EQ(32u, classic_volume(classic(50, 0, 100)).rects.size()) << "steps 0 means 32";
}

TEST(ClassicVolume, VistaKeepsAWiderReserveAndBigScreensScale)
{
    ClassicVolumeInput in = classic(0, 32, 100);
    in.vista = true;
    const VolumeShape vista = classic_volume(in);
    // (1024 - 8 - 48 - 378 - 352) / 32 = 7.
    EXPECT_EQ(vista.rects[0].left + 7, vista.rects[1].left);

    in = classic(0, 32, 100);
    in.cx = 1920;
    in.cy = 1080;
    const VolumeShape big = classic_volume(in);
    EXPECT_EQ((Rect{660, 1080 - 98 - 35 + (35 - 48) / 2, 660 + 90, 1080 - 98 - 35 + (35 - 48) / 2 + 67}), big.icon);
    EXPECT_EQ(7, big.rects[0].width());
}

TEST(ClassicVolume, AbsurdStepCountsAreBoundedAndNeverDivideByZero)
{
    const VolumeShape s = classic_volume(classic(7, 0xFFFFFFFFu, 0));
    EXPECT_EQ(kMaxVolumeSteps, s.rects.size());
    // Maximum 0: every threshold is 0, so any level lights every bar.
    EXPECT_EQ(kMaxVolumeSteps, s.lit);
    ClassicVolumeInput tiny = classic(1, 32, 2);
    tiny.cx = 16;
    tiny.cy = 12;
    EXPECT_EQ(32u, classic_volume(tiny).rects.size()) << "a screen too small for the bars still lays them out";
}

TEST(FramedVolume, SegmentsFillFromTheLeftInsideAFrame)
{
    const VolumeShape s = framed_volume(framed(50, 32, 100));
    // u = 4, e = 2, icon at x 360 on the work-area bottom 738; frame x0 = 360 + 48 + 12.
    EXPECT_EQ((Rect{360, 690, 408, 738}), s.icon);
    const int y = 690 - (25 - 48) / 2;
    EXPECT_EQ((Rect{420, y, 422, y + 25}), s.rects.front()) << "left edge";
    EXPECT_EQ((Rect{420 + 32 * 4, y, 420 + 32 * 4 + 2, y + 25}), s.rects.back()) << "right edge";
    EXPECT_EQ(17u, s.lit);
    // 17 lit segments, 15 unlit ones with a top and a bottom edge each, two frame edges.
    EXPECT_EQ(2u + 17u + 2u * 15u, s.rects.size());
    EXPECT_EQ((Rect{420 + 16 * 4, y, 420 + 17 * 4, y + 25}), s.rects[17]);
    EXPECT_EQ((Rect{420 + 17 * 4, y + 25 - 2, 420 + 18 * 4, y + 25}), s.rects[18]);
    EXPECT_EQ((Rect{420 + 17 * 4, y, 420 + 18 * 4, y + 2}), s.rects[19]);
    EXPECT_EQ((Rect{0, 0, 420 + 32 * 4 + 24, 738}), s.number_box);
}

TEST(FramedVolume, XpUsesDoubleUnitsAndStepsMinusOne)
{
    // Step 100 / 31 = 3 on XP: segment 16 (48) lit, 17 (51) not.
    const VolumeShape xp = framed_volume(framed(50, 32, 100, true));
    EXPECT_EQ(17u, xp.lit);
    const int y = 690 - (25 - 48) / 2;
    EXPECT_EQ((Rect{360 + 48 + 16, y, 360 + 48 + 16 + 2, y + 25}), xp.rects.front()) << "u = 8, edge u / 4";
    EXPECT_EQ(360 + 48 + 16 + 32 * 8 + 8, xp.number_box.right);

    // Segment 31's threshold is 31 * 3 = 93: lit above it, not at it.
    EXPECT_EQ(32u, framed_volume(framed(94, 32, 100, true)).lit);
    EXPECT_EQ(31u, framed_volume(framed(93, 32, 100, true)).lit);
    // 62 / 31 = 2 on XP against 62 / 32 = 1 elsewhere.
    EXPECT_EQ(5u, framed_volume(framed(10, 32, 62, true)).lit);
    EXPECT_EQ(10u, framed_volume(framed(10, 32, 62, false)).lit);
}

TEST(FramedVolume, OneStepOnXpDoesNotDivideByZero)
{
    EXPECT_EQ(1u, framed_volume(framed(1, 1, 100, true)).lit);
    EXPECT_EQ(0u, framed_volume(framed(0, 1, 100, true)).lit);
    EXPECT_EQ(32u, framed_volume(framed(0xFFFF, 0, 0xFFFF, true)).lit) << "steps 0 means 32";
    EXPECT_EQ(32u, framed_volume(framed(1000, 32, 100)).lit) << "the count never exceeds the steps";
}

TEST(VolumePercent, RoundsToTheNearestAndNeverPasses100)
{
    EXPECT_EQ(50u, volume_percent(0x8000, 0xFFFF));
    EXPECT_EQ(4u, volume_percent(2730, 0xFFFF));
    EXPECT_EQ(12u, volume_percent(8191, 0xFFFF)); // 12.499
    EXPECT_EQ(13u, volume_percent(8192, 0xFFFF)); // 12.500
    EXPECT_EQ(1u, volume_percent(1, 200)) << "one half rounds up";
    EXPECT_EQ(0u, volume_percent(0, 100));
    EXPECT_EQ(100u, volume_percent(0xFFFFFFFFu, 0xFFFFFFFEu));
    EXPECT_EQ(100u, volume_percent(5, 0)) << "a maximum of 0 lights every bar";
    EXPECT_EQ(0u, volume_percent(0, 0));
}

// At another DPI the rules hold in logical units and are drawn that much
// larger: a 1536 x 1152 screen at 144 DPI is 1024 x 768 logical pixels.
TEST(VolumeAtDpi, RulesHoldInLogicalUnitsAndAreDrawnInPixels)
{
    ClassicVolumeInput in = classic(0xFFFF, 32, 0xFFFF);
    in.cx = 1536;
    in.cy = 1152;
    in.dpi = DpiScale{144};
    const VolumeShape classic_144 = classic_volume(in);
    // The worked example's icon (352, 662, 400, 710) and first bar
    // (412, 673, 416, 698), times 1.5.
    EXPECT_EQ((Rect{528, 993, 600, 1065}), classic_144.icon);
    EXPECT_EQ((Rect{618, 1009, 624, 1047}), classic_144.rects[0]);
    // 2560 pixels at 144 DPI are 1706 logical: the unit is 1706 * 4 / 1024
    // = 6 logical, 9 pixels (the same rule on the pixels would give 10).
    in.cx = 2560;
    in.cy = 1440;
    EXPECT_EQ(9, classic_volume(in).rects[0].width());

    FramedVolumeInput f = framed(50, 32, 100);
    f.cx = 2048;
    f.cy = 1536;
    f.work_bottom = 1476;
    f.dpi = DpiScale{192};
    const VolumeShape framed_192 = framed_volume(f);
    // The 48 x 48 loudspeaker is 96 x 96 pixels on the work area's bottom.
    EXPECT_EQ((Rect{720, 1380, 816, 1476}), framed_192.icon);
    EXPECT_EQ((Rect{0, 0, 2 * (420 + 32 * 4 + 24), 1476}), framed_192.number_box);
    EXPECT_EQ(2 * (1024 * 6 / 1024), background_margin(2048, DpiScale{192}));
}
