#include <gtest/gtest.h>

#include "core/mci_commands.h"

using namespace vx::mci;

TEST(MciCommands, OpenCommandsNameTheDriveAndAlias)
{
    EXPECT_EQ("open E:\\ type cdaudio alias vxbcdx shareable", open_command("E:\\", kProbeAlias).value());
    EXPECT_EQ("open cdaudio alias vxbcd shareable", open_command(nullptr, kAlias).value());
}

TEST(MciCommands, CommandThatDoesNotFitInto256CharactersIsNotBuilt)
{
    const std::string fits(255 - 5, 'x');
    ASSERT_TRUE(command("play ", fits).has_value());
    EXPECT_EQ(255u, command("play ", fits)->size());
    EXPECT_FALSE(command("play ", fits + "y").has_value());
    EXPECT_FALSE(open_command(std::string(259, 'D').c_str(), kAlias).has_value());
}

TEST(MciCommands, DriveLosesOneTrailingBackslashOnlyWhenAsked)
{
    EXPECT_EQ("E:", drive_for_open("E:\\", true));
    EXPECT_EQ("E:\\", drive_for_open("E:\\", false));
    EXPECT_EQ("E:\\", drive_for_open("E:\\\\", true));
    EXPECT_EQ("", drive_for_open("", true));
    EXPECT_EQ(259u, drive_for_open(std::string(400, 'a'), true).size());
}

TEST(MciCommands, PreviousTrackLooksAtTheSecondsFieldOnly)
{
    EXPECT_EQ(4, previous_track_target("05:00:01:10"));
    EXPECT_EQ(5, previous_track_target("05:00:04:00"));
    EXPECT_EQ(4, previous_track_target("05:01:02:00")) << "minutes are not considered";
    EXPECT_EQ(0, previous_track_target("01:00:00:00"));
    EXPECT_EQ(11, previous_track_target("11:00:03:00"));
    // Damaged replies read like atoi and never run past the text.
    EXPECT_EQ(5, previous_track_target("06")) << "a missing seconds field counts 0";
    EXPECT_EQ(-1, previous_track_target(""));
    EXPECT_EQ(2, previous_track_target("3::x"));
    EXPECT_EQ(1000000000, previous_track_target("99999999999999999999:0:9"));
}

TEST(MciCommands, RepliesCompareWithoutCase)
{
    EXPECT_TRUE(reply_is("Playing", "playing"));
    EXPECT_TRUE(reply_is("AUDIO", "audio"));
    EXPECT_FALSE(reply_is("playing ", "playing"));
    EXPECT_FALSE(reply_is("paused", "playing"));
    EXPECT_EQ(12, reply_number("12"));
    EXPECT_EQ(0, reply_number("none"));
}
