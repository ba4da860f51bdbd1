#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/disc_rules.h"

using namespace vx::disc;

namespace {

// A drive whose answers are fixed; records which questions were asked.
struct FakeDrive {
    bool volume = true, cda = false, vcd = false, audio = false, autorun = false, dvd = false;
    std::vector<std::string> asked;
    DriveProbe probe()
    {
        auto q = [this](const char* name, bool& v) {
            return [this, name, &v] {
                asked.push_back(name);
                return v;
            };
        };
        return {q("volume", volume), q("cda", cda), q("vcd", vcd), q("audio", audio), q("autorun", autorun), q("dvd", dvd)};
    }
};

} // namespace

TEST(DiscClassifier, TestsInOrderAndStopsAtTheFirstAnswer)
{
    FakeDrive empty;
    empty.volume = false;
    EXPECT_EQ(kNoDisc, classify(empty.probe()));
    EXPECT_EQ(std::vector<std::string>{"volume"}, empty.asked);

    FakeDrive cda;
    cda.cda = cda.audio = true;
    EXPECT_EQ(kAudioCd, classify(cda.probe()));
    EXPECT_EQ((std::vector<std::string>{"volume", "cda"}), cda.asked) << "MCI is not asked when .cda files exist";

    FakeDrive vcd;
    vcd.vcd = vcd.audio = true;
    EXPECT_EQ(kVideoCd, classify(vcd.probe()));

    FakeDrive both;
    both.autorun = both.dvd = true;
    EXPECT_EQ(kSoftwareCd, classify(both.probe())) << "autorun is tested before video_ts";

    FakeDrive mixed;
    mixed.audio = mixed.autorun = true;
    EXPECT_EQ(kAudioCd, classify(mixed.probe()));

    FakeDrive dvd;
    dvd.dvd = true;
    EXPECT_EQ(kDvdVideo, classify(dvd.probe()));

    FakeDrive data;
    EXPECT_EQ(kDataDisc, classify(data.probe()));
    EXPECT_EQ(6u, data.asked.size());
}

TEST(DriveChoice, FirstMediaDiscWinsThenSoftwareThenDataThenLastEmpty)
{
    auto choose = [](std::vector<int> kinds) {
        Choice c;
        for (std::size_t i = 0; i < kinds.size(); ++i)
            c.offer(kinds[i], std::string(1, static_cast<char>('D' + i)) + ":\\");
        return c;
    };
    EXPECT_EQ(kNoDrive, choose({}).kind);
    EXPECT_EQ("", choose({}).root);

    Choice c = choose({kNoDisc, kDataDisc});
    EXPECT_EQ(kDataDisc, c.kind);
    EXPECT_EQ("E:\\", c.root);

    c = choose({kNoDisc, kNoDisc});
    EXPECT_EQ("E:\\", c.root) << "the last empty drive";

    c = choose({kDataDisc, kSoftwareCd, kDvdVideo, kAudioCd});
    EXPECT_EQ(kDvdVideo, c.kind);
    EXPECT_EQ("F:\\", c.root);

    c = choose({kSoftwareCd, kDataDisc, kNoDisc});
    EXPECT_EQ(kSoftwareCd, c.kind);
    EXPECT_EQ("D:\\", c.root);

    c = choose({kVideoCd, kAudioCd});
    EXPECT_EQ(kVideoCd, c.kind);
}

namespace {

struct PlayFakes {
    bool wmp = false;
    int mci = 0;
    int moving = 0;
    int mci_calls = 0, drive_calls = 0;
    PlayProbe probe()
    {
        return {[this] { return wmp; }, [this] { ++mci_calls; return mci; },
                [this](int) { ++drive_calls; return moving; }};
    }
};

} // namespace

TEST(PlayState, NoDiscSoftwareOrDataAnswerMinusOneAndKeepTheFlag)
{
    for (int kind : {kNoDisc, kSoftwareCd, kDataDisc}) {
        PlayState s;
        s.flag = 1;
        PlayFakes f;
        EXPECT_EQ(-1, check_play_state(s, kind, 5000, f.probe()));
        EXPECT_EQ(1, s.flag);
        EXPECT_EQ(5000u, s.last_check);
        EXPECT_EQ(0, f.drive_calls + f.mci_calls);
    }
    PlayState s;
    s.flag = 1;
    PlayFakes f;
    EXPECT_EQ(0, check_play_state(s, kNoDrive, 5000, f.probe()));
    EXPECT_EQ(1, s.flag) << "no drive answers 0 but leaves the flag";
}

TEST(PlayState, AudioCdAsksMciUnlessTheMediaPlayerRuns)
{
    PlayState s;
    PlayFakes f;
    f.mci = 1;
    EXPECT_EQ(1, check_play_state(s, kAudioCd, 5000, f.probe()));
    EXPECT_EQ(1, f.mci_calls);
    EXPECT_EQ(0, f.drive_calls);

    // MCI cannot open the device: the drive is asked instead.
    f.mci = -1;
    f.moving = 0;
    EXPECT_EQ(0, check_play_state(s, kAudioCd, 9000, f.probe()));
    EXPECT_EQ(1, f.drive_calls);

    f.wmp = true;
    f.moving = 1;
    EXPECT_EQ(1, check_play_state(s, kAudioCd, 12000, f.probe()));
    EXPECT_EQ(2, f.mci_calls) << "MCI is not asked while the media player window exists";
}

TEST(PlayState, SecondCheckWithinOneSecondInvertsWithoutAskingTheDrive)
{
    PlayState s;
    PlayFakes f;
    f.moving = 1;
    EXPECT_EQ(1, check_play_state(s, kDvdVideo, 5000, f.probe()));
    EXPECT_EQ(0, check_play_state(s, kDvdVideo, 5999, f.probe()));
    EXPECT_EQ(1, f.drive_calls);
    EXPECT_EQ(1, check_play_state(s, kDvdVideo, 6500, f.probe())) << "inverted again, 501 ms after the last";
    EXPECT_EQ(1, f.drive_calls);
    f.moving = 0;
    EXPECT_EQ(0, check_play_state(s, kDvdVideo, 7500, f.probe()));
    EXPECT_EQ(2, f.drive_calls);
}

TEST(PlayState, KindChangeForcesTheDriveEvenWithinOneSecond)
{
    PlayState s;
    PlayFakes f;
    f.moving = 1;
    check_play_state(s, kDvdVideo, 5000, f.probe());
    check_play_state(s, kVideoCd, 5100, f.probe());
    EXPECT_EQ(2, f.drive_calls);
    EXPECT_EQ(kVideoCd, s.last_kind);
}

TEST(PlayState, IntervalSurvivesTheTickCounterWrap)
{
    PlayState s;
    PlayFakes f;
    f.moving = 1;
    check_play_state(s, kDvdVideo, 0xFFFFFF00u, f.probe());
    // 0x200 ms later, past the wrap: more than a second has passed.
    EXPECT_EQ(1, check_play_state(s, kDvdVideo, 0x00000300u, f.probe()));
    EXPECT_EQ(2, f.drive_calls);
}
