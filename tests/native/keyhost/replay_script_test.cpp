#include <gtest/gtest.h>

#include "core/replay_script.h"

using namespace keyhost;

TEST(ReplayScript, ReadsEveryStepKind)
{
    const auto script = parse_replay_script(
        "# a session\n"
        "press 0xE9\r\n"
        "wait 700\n"
        "\n"
        "  release 233  \n"
        "key 0xe2\n"
        "lock caps on\n"
        "lock scroll off\n"
        "mic on\n"
        "screenshot volume-up_1.png");
    ASSERT_EQ("", script.error);
    ASSERT_EQ(8u, script.steps.size());
    EXPECT_EQ(StepKind::Press, script.steps[0].kind);
    EXPECT_EQ(0xE9u, script.steps[0].code);
    EXPECT_EQ(2, script.steps[0].line);
    EXPECT_EQ(700u, script.steps[1].ms);
    EXPECT_EQ(StepKind::Release, script.steps[2].kind);
    EXPECT_EQ(0xE9u, script.steps[2].code);
    EXPECT_EQ(0xE2u, script.steps[3].code);
    EXPECT_EQ(LockKey::Caps, script.steps[4].lock);
    EXPECT_TRUE(script.steps[4].on);
    EXPECT_EQ(LockKey::Scroll, script.steps[5].lock);
    EXPECT_FALSE(script.steps[5].on);
    EXPECT_EQ(StepKind::Mic, script.steps[6].kind);
    EXPECT_EQ("volume-up_1.png", script.steps[7].name);
}

TEST(ReplayScript, StopsAtTheFirstBadLineAndNamesIt)
{
    EXPECT_EQ("line 2: unknown step", parse_replay_script("wait 1\njump 3\n").error);
    EXPECT_EQ("line 1: expected a non-zero usage code", parse_replay_script("press 0").error);
    EXPECT_EQ("line 1: expected a non-zero usage code", parse_replay_script("press 0x").error);
    EXPECT_EQ("line 1: expected a non-zero usage code", parse_replay_script("press 99999999999").error);
    EXPECT_EQ("line 1: expected milliseconds from 0 to 60000", parse_replay_script("wait 60001").error);
    EXPECT_EQ("line 1: expected milliseconds from 0 to 60000", parse_replay_script("wait -5").error);
    EXPECT_EQ("line 1: expected on or off", parse_replay_script("lock caps maybe").error);
    EXPECT_EQ("line 1: too many words", parse_replay_script("key 1 2 3").error);
}

TEST(ReplayScript, ScreenshotNamesCannotLeaveTheOutputFolder)
{
    for (const char* bad : {"screenshot ../x", "screenshot a/b", "screenshot a\\b", "screenshot .hidden", "screenshot C:x",
                            "screenshot"}) {
        EXPECT_NE("", parse_replay_script(bad).error) << bad;
    }
    EXPECT_NE("", parse_replay_script("screenshot " + std::string(65, 'a')).error);
    EXPECT_EQ("", parse_replay_script("screenshot " + std::string(64, 'a')).error);
}

TEST(ReplayScript, OverlongLinesAreRejectedNotTruncated)
{
    EXPECT_EQ("line 1: line too long", parse_replay_script("wait 1" + std::string(2000, ' ')).error);
}
