#include <gtest/gtest.h>

#include <vector>

#include "core/volume_math.h"

using namespace vx::volume;

TEST(VolumeMath, StepsCapAtTheEndsOfTheRange)
{
    EXPECT_EQ(0xF000u + kDefaultStep, step_up(0xF000, kDefaultStep)) << "headroom 0x0FFF still fits a step";
    EXPECT_EQ(0xFFFFu, step_up(0xF800, kDefaultStep));
    EXPECT_EQ(0xFFFFu, step_up(0xFFFF - kDefaultStep, kDefaultStep));
    EXPECT_EQ(0xFFFEu, step_up(0xFFFF - kDefaultStep - 1, kDefaultStep));
    EXPECT_EQ(0xFFFFu, step_up(0x12345678, 1)) << "an out-of-range level is capped, not wrapped";
    EXPECT_EQ(0xFFFFu, step_up(0, 0xFFFFFFFF));
    EXPECT_EQ(0u, step_down(0x0800, kDefaultStep));
    EXPECT_EQ(0u, step_down(kDefaultStep, kDefaultStep));
    EXPECT_EQ(1u, step_down(kDefaultStep + 1, kDefaultStep));
    EXPECT_EQ(kDefaultStep, effective_step(0));
    EXPECT_EQ(7u, effective_step(7));
}

TEST(VolumeMath, RunningMeanTruncatesAtEachChannel)
{
    const std::vector<std::uint32_t> two{0x8000, 0x4001};
    EXPECT_EQ(0x6000u, running_mean(two));
    EXPECT_EQ(0u, running_mean({}));
    // m: 0 -> 1 -> (2 + 1) / 2 = 1 -> (2 + 2) / 3 = 1: not the true mean 5/3.
    const std::vector<std::uint32_t> small{1, 2, 2};
    EXPECT_EQ(1u, running_mean(small));
    // A value equal to the mean so far leaves it unchanged even though the
    // channel count grows.
    const std::vector<std::uint32_t> equal{0, 0, 9};
    EXPECT_EQ(3u, running_mean(equal));
    const std::vector<std::uint32_t> full(12, 0xFFFF);
    EXPECT_EQ(0xFFFFu, running_mean(full));
}

TEST(VolumeMath, MuteToggleIsLogicalNegation)
{
    EXPECT_EQ(1u, toggled_mute(0));
    EXPECT_EQ(0u, toggled_mute(1));
    EXPECT_EQ(0u, toggled_mute(5));
    EXPECT_EQ(1u, toggled_mute(toggled_mute(1)));
}

TEST(VolumeMath, ScalarsRoundTripEveryLevel)
{
    for (std::uint32_t level = 0; level <= kMaxLevel; ++level)
        ASSERT_EQ(level, level_from_scalar(scalar_from_level(level))) << level;
    EXPECT_EQ(0u, level_from_scalar(-0.5f));
    EXPECT_EQ(0xFFFFu, level_from_scalar(1.5f));
    EXPECT_EQ(0u, level_from_scalar(std::numeric_limits<float>::quiet_NaN()));
    EXPECT_EQ(1.0f, scalar_from_level(0x10000));
}
