#include <gtest/gtest.h>

#include <set>

#include "core/replay_script.h"
#include "core/soak_events.h"
#include "core/soak_verdict.h"

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
        "screenshot volume-up_1.png\n"
        "text  Volume  42 %\n"
        "screen 800x600\n"
        "screen next\n"
        "sample\n");
    ASSERT_EQ("", script.error);
    ASSERT_EQ(12u, script.steps.size());
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
    EXPECT_EQ(StepKind::Text, script.steps[8].kind);
    EXPECT_EQ("Volume  42 %", script.steps[8].name) << "the rest of the line, inner blanks kept";
    EXPECT_EQ(800u, script.steps[9].width);
    EXPECT_EQ(600u, script.steps[9].height);
    EXPECT_EQ(0u, script.steps[10].width) << "next: the display's next mode";
    EXPECT_EQ(StepKind::Sample, script.steps[11].kind);
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
    for (const char* bad : {"screen 0x600", "screen 800x", "screen 0x10x600", "screen 20000x600", "screen 800 600",
                            "sample now", "text"}) {
        EXPECT_NE("", parse_replay_script(bad).error) << bad;
    }
    EXPECT_NE("", parse_replay_script("text " + std::string(257, 'a')).error);
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

// The generated long session: only keys whose function stays inside the
// process, nothing held at a sample, a sample every thousand events, a screen
// change every few thousand, waits short enough for 100 000 events to run in
// minutes, and the same steps from the same seed.
TEST(SoakEvents, OnlyKeysWithoutOutsideEffectAndNothingHeldAtASample)
{
    const std::set<std::uint32_t> allowed = {0xE9,  0xEA,  0xE2,  0x22A, 0x221, 0x181,  0x224,  0x225,  0x8101,
                                             0x8105, 0x8109, 0x30, 0x32,  0xB0,  0xB1,  0xB5,   0xB6,   0xB7,
                                             0xCD,  0x100A9};
    SoakPlan plan;
    plan.events = 20000;
    plan.seed = 7;
    SoakEvents session(plan);
    std::multiset<std::uint32_t> held;
    std::set<StepKind> kinds;
    std::uint64_t events = 0, last_sample = 0, wait_ms = 0;
    int screens = 0;
    ReplayStep step;
    while (session.next(step)) {
        kinds.insert(step.kind);
        if (step.kind == StepKind::Press || step.kind == StepKind::Key)
            ASSERT_TRUE(allowed.count(step.code)) << std::hex << step.code;
        if (step.kind == StepKind::Press)
            held.insert(step.code);
        if (step.kind == StepKind::Release) {
            ASSERT_TRUE(held.count(step.code));
            held.erase(held.find(step.code));
        }
        if (step.kind == StepKind::Sample) {
            EXPECT_TRUE(held.empty()) << "at " << events;
            if (events < plan.events)
                EXPECT_NEAR(1000.0, static_cast<double>(events - last_sample), 5.0) << "at " << events;
            last_sample = events;
        }
        screens += step.kind == StepKind::Screen;
        wait_ms += step.kind == StepKind::Wait ? step.ms : 0;
        events += is_event(step.kind);
    }
    EXPECT_EQ(StepKind::Sample, step.kind) << "the session ends with a sample";
    EXPECT_EQ(8, screens) << "at 500 events and every 2500 after";
    EXPECT_EQ(9u, kinds.size()) << "every kind of step but the screenshot";
    EXPECT_LT(wait_ms, events * 10) << "waits would make the long run take hours";

    SoakEvents a(plan), b(plan);
    ReplayStep sa, sb;
    for (int i = 0; i < 200 && a.next(sa) && b.next(sb); ++i)
        ASSERT_TRUE(sa.kind == sb.kind && sa.code == sb.code && sa.ms == sb.ms && sa.name == sb.name) << "same seed";
}

TEST(SoakVerdict, FlatDespiteNoiseButNotALeakOrATimerAtRest)
{
    std::vector<ResourceSample> run(5);
    for (std::size_t i = 0; i < run.size(); ++i)
        run[i] = {1000 * (i + 1), 60, 0, 80, 15, 9, 14000, 0, "", false};
    run[2].gdi = 95; // a passing peak is no growth
    run[4].private_kib = 15000;
    run[4].handles = 90;
    run[4].mode_handles = 30; // the system's, not the host's
    EXPECT_TRUE(soak_problems(run).empty());

    run[4].handles = 99;
    run[4].windows = 12;
    EXPECT_EQ((std::vector<std::string>{"handles (without the mode changes') grew from 60 to 69 (at most +8)",
                                        "windows grew from 9 to 12 (at most +2)"}),
              soak_problems(run));

    run[4] = run[0];
    run[4].events = 5000;
    run[1].repeating = "thread timer 32767 fired 3 times in 400 ms";
    run[3].volume_moved = true;
    EXPECT_EQ((std::vector<std::string>{
                  "a timer kept running at rest after 2000 events: thread timer 32767 fired 3 times in 400 ms",
                  "the volume moved at rest after 4000 events: a volume repeat outlived its key"}),
              soak_problems(run));
    EXPECT_EQ((std::vector<std::string>{"no sample was taken"}), soak_problems({}));
}
