#include <gtest/gtest.h>

#include "core/volume_math.h"
#include "core/volume_repeat.h"

using vx::volume::VolumeRepeat;
using Tick = VolumeRepeat::Tick;

TEST(VolumeRepeat, SkipsOneTickThenStepsEveryTick)
{
    VolumeRepeat r;
    EXPECT_TRUE(r.start(vx::volume::kVolumeUpKey));
    EXPECT_EQ(Tick::Wait, r.tick());
    EXPECT_EQ(Tick::StepUp, r.tick());
    EXPECT_EQ(Tick::StepUp, r.tick());
}

TEST(VolumeRepeat, SecondKeyTurnsDirectionWithoutRestartingTheDelay)
{
    VolumeRepeat r;
    ASSERT_TRUE(r.start(vx::volume::kVolumeUpKey));
    EXPECT_EQ(Tick::Wait, r.tick());
    EXPECT_FALSE(r.start(vx::volume::kVolumeDownKey)) << "timer already runs";
    EXPECT_EQ(Tick::StepDown, r.tick());

    // Turning during the skipped tick keeps the one pending skip, no more.
    VolumeRepeat s;
    ASSERT_TRUE(s.start(vx::volume::kVolumeDownKey));
    EXPECT_FALSE(s.start(vx::volume::kVolumeUpKey));
    EXPECT_EQ(Tick::Wait, s.tick());
    EXPECT_EQ(Tick::StepUp, s.tick());
}

TEST(VolumeRepeat, StopEndsEitherDirectionAndAFreshStartDelaysAgain)
{
    VolumeRepeat r;
    r.start(vx::volume::kVolumeDownKey);
    r.tick();
    r.stop();
    EXPECT_FALSE(r.running());
    EXPECT_EQ(Tick::Wait, r.tick());
    EXPECT_TRUE(r.start(vx::volume::kVolumeUpKey));
    EXPECT_EQ(Tick::Wait, r.tick());
    EXPECT_EQ(Tick::StepUp, r.tick());
}

TEST(VolumeRepeat, UnknownKeyNeverSteps)
{
    VolumeRepeat r;
    r.start(0x1234);
    r.tick();
    EXPECT_EQ(Tick::Wait, r.tick());
}
