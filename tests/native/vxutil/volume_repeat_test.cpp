#include <gtest/gtest.h>

#include "core/volume_math.h"
#include "core/volume_repeat.h"

using vx::volume::VolumeRepeat;
using Tick = VolumeRepeat::Tick;

TEST(VolumeRepeat, SkipsOneTickThenStepsEveryTick)
{
    VolumeRepeat r;
    EXPECT_TRUE(r.start(vx::volume::kVolumeUpKey, 0));
    EXPECT_EQ(Tick::Wait, r.tick(0));
    EXPECT_EQ(Tick::StepUp, r.tick(0));
    EXPECT_EQ(Tick::StepUp, r.tick(0));
}

TEST(VolumeRepeat, SecondKeyTurnsDirectionWithoutRestartingTheDelay)
{
    VolumeRepeat r;
    ASSERT_TRUE(r.start(vx::volume::kVolumeUpKey, 0));
    EXPECT_EQ(Tick::Wait, r.tick(0));
    EXPECT_FALSE(r.start(vx::volume::kVolumeDownKey, 0)) << "timer already runs";
    EXPECT_EQ(Tick::StepDown, r.tick(0));

    // Turning during the skipped tick keeps the one pending skip, no more.
    VolumeRepeat s;
    ASSERT_TRUE(s.start(vx::volume::kVolumeDownKey, 0));
    EXPECT_FALSE(s.start(vx::volume::kVolumeUpKey, 0));
    EXPECT_EQ(Tick::Wait, s.tick(0));
    EXPECT_EQ(Tick::StepUp, s.tick(0));
}

TEST(VolumeRepeat, StopEndsEitherDirectionAndAFreshStartDelaysAgain)
{
    VolumeRepeat r;
    r.start(vx::volume::kVolumeDownKey, 0);
    r.tick(0);
    r.stop();
    EXPECT_FALSE(r.running());
    EXPECT_EQ(Tick::Wait, r.tick(0));
    EXPECT_TRUE(r.start(vx::volume::kVolumeUpKey, 0));
    EXPECT_EQ(Tick::Wait, r.tick(0));
    EXPECT_EQ(Tick::StepUp, r.tick(0));
}

TEST(VolumeRepeat, UnknownKeyNeverSteps)
{
    VolumeRepeat r;
    r.start(0x1234, 0);
    r.tick(0);
    EXPECT_EQ(Tick::Wait, r.tick(0));
}

TEST(VolumeRepeat, EndsAfterTheLimitWithoutKeyCallsAndEachStartRestartsIt)
{
    using vx::volume::kRepeatLimitMs;
    VolumeRepeat r;
    const std::uint32_t t0 = 0xFFFFF000u; // the millisecond clock wraps during the repeat
    r.start(vx::volume::kVolumeUpKey, t0);
    r.tick(t0 + 150);
    EXPECT_EQ(Tick::StepUp, r.tick(t0 + kRepeatLimitMs - 1));
    EXPECT_FALSE(r.start(vx::volume::kVolumeDownKey, t0 + 5000)) << "turning is a key call: the limit restarts";
    EXPECT_EQ(Tick::StepDown, r.tick(t0 + kRepeatLimitMs + 4000));
    EXPECT_EQ(Tick::End, r.tick(t0 + kRepeatLimitMs + 5000));
    EXPECT_FALSE(r.running());
    EXPECT_EQ(Tick::Wait, r.tick(t0 + kRepeatLimitMs + 5150));
}

TEST(VolumeRepeat, EndsWhenEveryChannelReachedTheEndOfTheHeldDirection)
{
    const std::uint32_t top[] = {0xFFFF, 0xFFFF};
    const std::uint32_t balanced[] = {0xFFFF, 0x8000};
    const std::uint32_t bottom[] = {0, 0};
    VolumeRepeat up;
    up.start(vx::volume::kVolumeUpKey, 0);
    up.stepped(balanced);
    up.stepped(bottom);
    up.stepped({});
    EXPECT_TRUE(up.running()) << "one channel still has headroom; silence is not the end of an up repeat";
    up.stepped(top);
    EXPECT_FALSE(up.running());

    VolumeRepeat down;
    down.start(vx::volume::kVolumeDownKey, 0);
    down.stepped(top);
    EXPECT_TRUE(down.running());
    down.stepped(bottom);
    EXPECT_FALSE(down.running());
}
