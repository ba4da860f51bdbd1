#include <gtest/gtest.h>

#include <vector>

#include "core/consumer_keys.h"
#include "core/key_path.h"
#include "core/key_tracker.h"
#include "core/latency_record.h"

using namespace keyhost;

namespace {

using Changes = std::vector<KeyChange>;

Changes set(KeyTracker& t, Source s, std::vector<std::uint32_t> down)
{
    Changes out;
    t.set(s, down, out);
    return out;
}

Changes key(KeyTracker& t, Source s, std::uint32_t code, bool pressed)
{
    Changes out;
    t.key(s, code, pressed, out);
    return out;
}

constexpr Source kKeyboard{0x1234, 0};

} // namespace

TEST(KeyTracker, OneKeySeenAsReportAndAsVirtualKeyActsOnceWhicheverComesFirst)
{
    for (const bool report_first : {true, false}) {
        KeyTracker t;
        const Changes first = report_first ? set(t, kKeyboard, {0xE9}) : key(t, kHookSource, 0xE9, true);
        const Changes second = report_first ? key(t, kHookSource, 0xE9, true) : set(t, kKeyboard, {0xE9});
        EXPECT_EQ((Changes{{0xE9, true}}), first);
        EXPECT_TRUE(second.empty());
        EXPECT_TRUE(key(t, kHookSource, 0xE9, true).empty()) << "auto-repeat";
        EXPECT_TRUE(set(t, kKeyboard, {}).empty()) << "the other source still holds it";
        EXPECT_EQ((Changes{{0xE9, false}}), key(t, kHookSource, 0xE9, false));
    }
}

TEST(KeyTracker, ReportsOfOneIdLeaveTheOtherIdsKeysAndSwapReleasesFirst)
{
    KeyTracker t;
    set(t, {0x1234, 1}, {0xE9});
    EXPECT_EQ((Changes{{0xCD, true}}), set(t, {0x1234, 2}, {0xCD}));
    EXPECT_TRUE(set(t, {0x1234, 2}, {0xCD}).empty());
    EXPECT_TRUE(t.down(0xE9));
    EXPECT_EQ((Changes{{0xE9, false}, {0xEA, true}}), set(t, {0x1234, 1}, {0xEA}));
    EXPECT_TRUE(t.holds_any(0x1234));
    EXPECT_FALSE(t.holds_any(0x9999));
}

TEST(KeyTracker, ReportsWithManyUsagesAndDuplicates)
{
    KeyTracker t;
    std::vector<std::uint32_t> forty;
    for (std::uint32_t code = 0x100; code < 0x128; ++code)
        forty.push_back(code);
    forty.push_back(0x100); // listed twice, pressed once
    EXPECT_EQ(40u, set(t, kKeyboard, forty).size());
    EXPECT_EQ(40u, set(t, kKeyboard, {}).size());

    std::vector<std::uint32_t> flood(kMaxHoldings + 50);
    for (std::size_t i = 0; i < flood.size(); ++i)
        flood[i] = static_cast<std::uint32_t>(i + 1);
    set(t, kKeyboard, flood);
    EXPECT_EQ(kMaxHoldings, t.holdings());
}

TEST(KeyTracker, ReleaseAllEndsEachHeldCodeOnceAndTheNextReportPressesAgain)
{
    KeyTracker t;
    set(t, kKeyboard, {0xE9, 0xE2});
    key(t, kHookSource, 0xE9, true);
    key(t, kReplaySource, 0xB5, true);
    Changes out;
    t.release_all(out);
    EXPECT_EQ(3u, out.size());
    for (const KeyChange& c : out)
        EXPECT_FALSE(c.pressed);
    EXPECT_FALSE(t.down(0xE9));
    EXPECT_EQ((Changes{{0xE9, true}}), set(t, kKeyboard, {0xE9}));
    EXPECT_TRUE(key(t, kHookSource, 0xE9, false).empty()) << "an up after the release-all changes nothing";

    // A lost hook ends only what it alone held.
    key(t, kHookSource, 0xE9, true);
    key(t, kHookSource, 0xCD, true);
    Changes lost;
    t.release_source(kHookSource, lost);
    EXPECT_EQ((Changes{{0xCD, false}}), lost);
    EXPECT_TRUE(t.down(0xE9)) << "the keyboard's report still holds it";
}

TEST(ConsumerKeys, UsagesVirtualKeysAndWhichKeysStayWindows)
{
    EXPECT_EQ(0xE9u, code_of_usage(kConsumerPage, 0xE9));
    EXPECT_EQ(0u, code_of_usage(kConsumerPage, kVolumeDialUsage));
    EXPECT_EQ(kMicMuteCode, code_of_usage(kGenericDesktopPage, 0xA9));
    EXPECT_EQ(kMicMuteCode, code_of_usage(kTelephonyPage, 0x2F));
    EXPECT_EQ(0u, code_of_usage(kGenericDesktopPage, 0x81)) << "system power down stays Windows'";

    EXPECT_EQ(0xE9u, code_of_virtual_key(0xAF));
    EXPECT_EQ(0xCDu, code_of_virtual_key(0xB3));
    EXPECT_EQ(0x192u, code_of_virtual_key(0xB7));
    EXPECT_EQ(0u, code_of_virtual_key(0xAA)) << "Search has no handler in the table";
    EXPECT_EQ(0xB4u, virtual_key_of_code(0x18A)) << "Mail, given back as the key Windows knows";
    EXPECT_EQ(0u, virtual_key_of_code(0)) << "no code, no key";
    EXPECT_EQ(0u, virtual_key_of_code(kMicMuteCode));

    EXPECT_FALSE(host_takes(0xCD, false));
    EXPECT_TRUE(host_takes(0xCD, true));
    EXPECT_TRUE(host_takes(0xE9, false));
    EXPECT_TRUE(host_takes(0x91, false)) << "Media Select starts a player, disc or not";
}

TEST(ConsumerKeys, DialStepsRelativeAndAbsolute)
{
    std::optional<std::int32_t> previous;
    EXPECT_EQ(-3, dial_steps({true, -3}, previous));
    EXPECT_EQ(kMaxDialSteps, dial_steps({true, 127}, previous));
    EXPECT_EQ(0, dial_steps({false, 40}, previous)) << "the first position only sets the start";
    EXPECT_EQ(2, dial_steps({false, 42}, previous));
    EXPECT_EQ(-kMaxDialSteps, dial_steps({false, 0}, previous));

    EXPECT_EQ(-3, dial_value(0xFD, 8, true));
    EXPECT_EQ(253, dial_value(0xFD, 8, false));
    EXPECT_EQ(-3, dial_value(0x1FD, 8, true)) << "bits beyond the field's width are not part of it";
    EXPECT_EQ(-1, dial_value(0xFFFFFFFF, 32, true));
    EXPECT_EQ(INT32_MAX, dial_value(0xFFFFFFFF, 32, false)) << "held, not wrapped to -1";
    EXPECT_EQ(-1, dial_value(0xFFFFFFFF, 40, true)) << "a width beyond 32 counts as 32";
}

TEST(LatencyRecord, KeepsTheLatestValuesOnly)
{
    LatencyRecord record;
    for (int i = 0; i < 3000; ++i)
        record.add(i);
    const std::vector<double> values = record.values();
    ASSERT_EQ(LatencyRecord::kCapacity, values.size());
    EXPECT_EQ(3000.0 - LatencyRecord::kCapacity, values.front());
    EXPECT_EQ(2999.0, values.back());
}

TEST(KeyPath, TheActionThreadIsBusyFromAQuarterSecondOnItsCurrentWork)
{
    EXPECT_TRUE(action_thread_responsive(5000, 0)) << "waiting for work";
    EXPECT_TRUE(action_thread_responsive(5249, 5000));
    EXPECT_FALSE(action_thread_responsive(5250, 5000));
    EXPECT_TRUE(action_thread_responsive(4990, 5000)) << "picked up after the caller read the clock";
    EXPECT_FALSE(too_late(1249, 1000));
    EXPECT_TRUE(too_late(1250, 1000));
    EXPECT_FALSE(too_late(900, 1000));
}

TEST(KeyPath, AHookHeldKeyEndsWhenItsRepeatsStopOrAtTheLimit)
{
    const std::uint64_t window = repeat_window(1, 31); // Windows' defaults
    EXPECT_GE(window, 500u + 33u) << "longer than the first repeat's delay and one repeat";
    EXPECT_LE(window, 1200u);
    EXPECT_GT(repeat_window(3, 0), 1000u + 400u) << "the slowest settings";
    EXPECT_EQ(repeat_window(3, 0), repeat_window(7, -5)) << "settings out of range are held to it";

    HookHold hold{1000, 1000};
    EXPECT_EQ(HoldEnd::None, hook_hold_end(hold, 1000 + window, window));
    EXPECT_EQ(HoldEnd::Released, hook_hold_end(hold, 1001 + window, window));
    for (std::uint64_t t = 1000; t < 1000 + kHoldLimitMs; t += 33) {
        hold.last_down = t;
        ASSERT_EQ(HoldEnd::None, hook_hold_end(hold, t + 10, window)) << t;
    }
    hold.last_down = 1000 + kHoldLimitMs - 5;
    EXPECT_EQ(HoldEnd::Limit, hook_hold_end(hold, 1000 + kHoldLimitMs, window)) << "repeating keys end too";
    EXPECT_LE(kHoldLimitMs, 10000u);
}

TEST(KeyPath, AHookThatMissesAKeyIsLostOnlyAfterItHadTimeToAnswer)
{
    std::uint64_t seen[256] = {};
    const auto hook_seen = [&](std::uint32_t vk) { return seen[vk & 0xFF]; };
    HookWatch watch;
    watch.expect(0xAF, 1000);
    EXPECT_FALSE(watch.lost(1000 + kHookAnswerMs - 1, hook_seen));
    seen[0xAF] = 1010; // the hook's down came in after Raw Input's
    EXPECT_FALSE(watch.lost(2000, hook_seen));
    EXPECT_FALSE(watch.waiting());

    watch.expect(0xAF, 5000);
    seen[0xAF] = 4990; // before Raw Input's, as a working hook sees it
    EXPECT_FALSE(watch.lost(5400, hook_seen));

    watch.expect(0xAE, 9000); // the hook saw Volume Up, never this Volume Down
    watch.expect(0xAF, 9000); // nor this Volume Up: its last down is long past
    EXPECT_FALSE(watch.lost(9000 + kHookAnswerMs - 1, hook_seen));
    EXPECT_TRUE(watch.lost(9000 + kHookAnswerMs, hook_seen));
    EXPECT_FALSE(watch.waiting()) << "one loss, one reinstall";
}
