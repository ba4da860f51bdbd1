// AudioCD_* over a modelled cdaudio device.
#include <gtest/gtest.h>

#include "buttons/cd/audio_cd.h"
#include "vxutil.h"
#include "vxutil/cd_fakes.h"

using vxtest::FakeCd;

namespace {

struct AudioCd : ::testing::Test {
    FakeCd cd;
    void SetUp() override { vx::audio_cd::reset_for_tests(); }
    void TearDown() override { vx::audio_cd::reset_for_tests(); }
};

} // namespace

TEST_F(AudioCd, OpenProbesFirstAndAlwaysClosesTheProbeAlias)
{
    EXPECT_EQ(1, AudioCD_OpenCDAudio("E:\\"));
    EXPECT_EQ((std::vector<std::string>{"open E: type cdaudio alias vxbcdx shareable",
                                        "open E: type cdaudio alias vxbcd shareable", "close vxbcdx"}),
              cd.mci.commands);
    EXPECT_EQ(std::set<std::string>{"vxbcd"}, cd.mci.open_aliases);
    EXPECT_EQ(0, AudioCD_CloseCDAudio());
    EXPECT_TRUE(cd.mci.open_aliases.empty());

    cd.mci.clear();
    EXPECT_EQ(1, AudioCD_OpenCDAudio(nullptr));
    EXPECT_EQ("open cdaudio alias vxbcdx shareable", cd.mci.commands[0]);
    EXPECT_EQ("open cdaudio alias vxbcd shareable", cd.mci.commands[1]);
}

TEST_F(AudioCd, TrailingBackslashIsDroppedOnNtOtherThanWindows2000)
{
    struct Case {
        DWORD platform, major, minor;
        const char* device;
    } cases[] = {
        {VER_PLATFORM_WIN32_NT, 5, 1, "E:"},           // XP
        {VER_PLATFORM_WIN32_NT, 6, 1, "E:"},           // 7
        {VER_PLATFORM_WIN32_NT, 5, 0, "E:\\"},         // 2000
        {VER_PLATFORM_WIN32_WINDOWS, 4, 10, "E:\\"},   // 98
    };
    for (const Case& c : cases) {
        cd.set_version(c.major, c.minor, c.platform);
        cd.mci.opened_devices.clear();
        AudioCD_OpenCDAudio("E:\\");
        AudioCD_CloseCDAudio();
        ASSERT_FALSE(cd.mci.opened_devices.empty());
        EXPECT_EQ(c.device, cd.mci.opened_devices[0]) << c.major << "." << c.minor;
    }
}

TEST_F(AudioCd, FailingProbeLeavesTheDeviceClosed)
{
    cd.mci.probe_fails = true;
    EXPECT_EQ(0, AudioCD_OpenCDAudio("E:\\"));
    EXPECT_EQ(0, cd.mci.count("open E: type cdaudio alias vxbcd "));
    EXPECT_TRUE(cd.mci.sent("close vxbcdx"));
    EXPECT_TRUE(cd.mci.open_aliases.empty());
    EXPECT_GT(cd.mci.error_texts, 0) << "error texts are fetched and dropped";
    EXPECT_EQ(-1, AudioCD_IsPlaying("E:\\"));
    EXPECT_EQ(0, AudioCD_Play("E:\\"));
    EXPECT_EQ(275, AudioCD_FindAudioByMCI("E:\\"));
}

TEST_F(AudioCd, OverlongDriveFailsWithoutSendingATruncatedName)
{
    const std::string drive(300, 'E');
    EXPECT_EQ(0, AudioCD_OpenCDAudio(drive.c_str()));
    EXPECT_EQ(0, cd.mci.count("open"));
    EXPECT_TRUE(cd.mci.sent("close vxbcdx"));
    EXPECT_EQ(-1, AudioCD_IsPlaying(drive.c_str()));
}

TEST_F(AudioCd, PlayWhilePlayingSendsNoPlay)
{
    cd.mci.mode = "playing";
    EXPECT_EQ(0, AudioCD_Play("E:\\"));
    EXPECT_EQ(0, cd.mci.count("play"));
}

TEST_F(AudioCd, PlayFromStoppedStopsSeeksAndPlays)
{
    EXPECT_EQ(0, AudioCD_Play("E:\\"));
    EXPECT_EQ("playing", cd.mci.mode);
    EXPECT_TRUE(cd.mci.sent("stop vxbcd"));
    EXPECT_EQ(2, cd.mci.count("seek vxbcd to start"));
    EXPECT_EQ("play vxbcd", cd.mci.commands.back());
    EXPECT_EQ(1, AudioCD_IsPlaying("E:\\"));
}

TEST_F(AudioCd, PlayPauseTwiceResumesFromTheSavedPosition)
{
    cd.mci.mode = "playing";
    cd.mci.position = "03:01:20:05";
    EXPECT_EQ(0, AudioCD_PlayPause("E:\\"));
    EXPECT_EQ("paused", cd.mci.mode);
    EXPECT_STREQ("03:01:20:05", vx::audio_cd::saved_position());
    cd.mci.position = "99:99:99:99"; // a paused device may report anything
    cd.mci.clear();
    EXPECT_EQ(0, AudioCD_PlayPause("E:\\"));
    EXPECT_EQ("play vxbcd from 03:01:20:05", cd.mci.commands.back());
    EXPECT_STREQ("", vx::audio_cd::saved_position());
    EXPECT_EQ(0, cd.mci.count("seek"));
}

TEST_F(AudioCd, PauseResumesAPausedDiscAndFailsWithNothingSaved)
{
    EXPECT_NE(0, AudioCD_Pause("E:\\"));
    EXPECT_EQ(0, cd.mci.count("play"));
    EXPECT_EQ(0, cd.mci.count("pause"));

    cd.mci.mode = "playing";
    cd.mci.position = "02:00:10:00";
    EXPECT_EQ(0, AudioCD_Pause("E:\\"));
    EXPECT_EQ("paused", cd.mci.mode);
    EXPECT_EQ(0, AudioCD_Pause("E:\\"));
    EXPECT_EQ("playing", cd.mci.mode);
    EXPECT_EQ("play vxbcd from 02:00:10:00", cd.mci.commands.back());
}

TEST_F(AudioCd, StopForgetsThePausePosition)
{
    cd.mci.mode = "playing";
    AudioCD_Pause("E:\\");
    ASSERT_STRNE("", vx::audio_cd::saved_position());
    EXPECT_EQ(0, AudioCD_Stop("E:\\"));
    EXPECT_STREQ("", vx::audio_cd::saved_position());
    EXPECT_EQ("seek vxbcd to start", cd.mci.commands.back());
}

TEST_F(AudioCd, PreviousTrackGoesBackWithinThreeSeconds)
{
    struct Case {
        const char* position;
        const char* play;
    } cases[] = {{"05:00:01:10", "play vxbcd from 4"},
                 {"05:00:04:00", "play vxbcd from 5"},
                 {"05:01:02:00", "play vxbcd from 4"}};
    for (const Case& c : cases) {
        cd.mci.position = c.position;
        cd.mci.clear();
        EXPECT_EQ(0, AudioCD_PrevTrack("E:\\"));
        EXPECT_TRUE(cd.mci.sent("set vxbcd time format TMSF"));
        EXPECT_EQ(c.play, cd.mci.commands.back());
    }
    // Track 1 at its start names track 0; the device's error comes back.
    cd.mci.position = "01:00:00:30";
    EXPECT_EQ(static_cast<int>(MCIERR_OUTOFRANGE), AudioCD_PrevTrack("E:\\"));
}

TEST_F(AudioCd, PreviousTrackDropsAnEarlierPausePoint)
{
    cd.mci.mode = "playing";
    cd.mci.position = "04:02:00:00";
    AudioCD_Pause("E:\\");
    AudioCD_PrevTrack("E:\\");
    EXPECT_STREQ("", vx::audio_cd::saved_position());
    cd.mci.mode = "stopped";
    cd.mci.clear();
    AudioCD_Play("E:\\");
    EXPECT_EQ("play vxbcd", cd.mci.commands.back()) << "starts over, does not resume the old pause";
}

TEST_F(AudioCd, NextTrackPlaysTheFollowingTrackAndFailsPastTheLast)
{
    cd.mci.position = "02:03:00:00";
    EXPECT_EQ(0, AudioCD_NextTrack("E:\\"));
    EXPECT_EQ("play vxbcd from 3", cd.mci.commands.back());
    cd.mci.position = "06:00:00:00";
    EXPECT_EQ(static_cast<int>(MCIERR_OUTOFRANGE), AudioCD_NextTrack("E:\\"));
}

TEST_F(AudioCd, FindAudioStopsAtTheFirstAudioTrack)
{
    cd.mci.audio_tracks = {false, true, true};
    EXPECT_EQ(0, AudioCD_FindAudioByMCI("E:\\"));
    EXPECT_EQ(2, cd.mci.count("status vxbcd type track"));

    cd.mci.audio_tracks = {false, false};
    EXPECT_EQ(275, AudioCD_FindAudioByMCI("E:\\"));
    cd.mci.audio_tracks = {};
    EXPECT_EQ(275, AudioCD_FindAudioByMCI("E:\\"));
}

TEST_F(AudioCd, EjectOpensTheDoorThroughTheCommandInterface)
{
    EXPECT_EQ(0, AudioCD_Eject());
    ASSERT_EQ(3u, cd.mci.calls.size());
    EXPECT_EQ(static_cast<UINT>(MCI_OPEN), cd.mci.calls[0].message);
    EXPECT_EQ(static_cast<DWORD_PTR>(MCI_OPEN_TYPE), cd.mci.calls[0].flags);
    EXPECT_EQ("cdaudio", cd.mci.calls[0].type);
    EXPECT_EQ(static_cast<UINT>(MCI_SET), cd.mci.calls[1].message);
    EXPECT_EQ(42u, cd.mci.calls[1].device);
    EXPECT_EQ(static_cast<DWORD_PTR>(0x4100), cd.mci.calls[1].flags);
    EXPECT_EQ(static_cast<UINT>(MCI_CLOSE), cd.mci.calls[2].message);

    cd.mci.calls.clear();
    cd.mci.command_open_fails = true;
    EXPECT_EQ(static_cast<int>(MCIERR_DEVICE_NOT_READY), AudioCD_Eject());
    EXPECT_EQ(1u, cd.mci.calls.size());
}

TEST_F(AudioCd, DispatcherRunsTheSixKeysAndIgnoresOthers)
{
    EXPECT_EQ(0, vx::audio_cd::dispatch(0xE9, "E:\\"));
    EXPECT_TRUE(cd.mci.commands.empty());
    EXPECT_EQ(1, vx::audio_cd::dispatch(0xB0, "E:\\"));
    EXPECT_EQ("playing", cd.mci.mode);
    EXPECT_EQ(1, vx::audio_cd::dispatch(0xCD, "E:\\"));
    EXPECT_EQ("paused", cd.mci.mode);
    EXPECT_EQ(1, vx::audio_cd::dispatch(0xB1, "E:\\"));
    EXPECT_EQ("playing", cd.mci.mode);
    EXPECT_EQ(1, vx::audio_cd::dispatch(0xB5, "E:\\"));
    EXPECT_EQ("02:00:00:00", cd.mci.position);
    EXPECT_EQ(1, vx::audio_cd::dispatch(0xB6, "E:\\"));
    EXPECT_EQ("01:00:00:00", cd.mci.position);
    EXPECT_EQ(1, vx::audio_cd::dispatch(0xB7, "E:\\"));
    EXPECT_EQ("stopped", cd.mci.mode);
    cd.mci.device_present = false;
    EXPECT_EQ(1, vx::audio_cd::dispatch(0xB0, "E:\\")) << "the operation's own result is not passed on";
}
