// The classifier over real folders standing in for disc roots (drive types
// and volumes through the seam), the drive choice and the play-state check.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "buttons/cd/audio_cd.h"
#include "buttons/cd/disc_detection.h"
#include "vxutil.h"
#include "vxutil/cd_fakes.h"

using vxtest::FakeCd;
namespace fs = std::filesystem;

namespace {

struct DiscFolders : ::testing::Test {
    FakeCd cd;
    fs::path base;

    void SetUp() override
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        base = fs::path(temp) / ("vxcd_" + std::to_string(GetCurrentProcessId()));
        fs::remove_all(base);
        cd.mci.audio_tracks = {false};
        vx::disc::play_state() = {};
        vx::audio_cd::reset_for_tests();
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(base, ec);
        vx::disc::play_state() = {};
    }
    // A disc folder holding the given files; returns its root with a
    // trailing backslash, as drive roots have.
    std::string disc(const std::string& name, std::initializer_list<const char*> files)
    {
        const fs::path root = base / name;
        fs::create_directories(root);
        for (const char* f : files) {
            const fs::path p = root / f;
            fs::create_directories(p.parent_path());
            std::ofstream(p) << "x";
        }
        cd.optical.drives.push_back({root.string() + "\\"});
        return root.string() + "\\";
    }
};

} // namespace

TEST_F(DiscFolders, ClassifiesByTheFilesOnTheDisc)
{
    EXPECT_EQ(vx::disc::kAudioCd, vx::disc::classify_root(disc("cda", {"Track01.cda"})));
    EXPECT_EQ(vx::disc::kVideoCd, vx::disc::classify_root(disc("vcd", {"vcd\\info.vcd", "AUTORUN.INF"})));
    EXPECT_EQ(vx::disc::kSoftwareCd,
              vx::disc::classify_root(disc("both", {"AUTORUN.INF", "video_ts\\vts_01_0.ifo"})));
    EXPECT_EQ(vx::disc::kDvdVideo, vx::disc::classify_root(disc("dvd", {"video_ts\\vts_01_0.ifo"})));
    EXPECT_EQ(vx::disc::kDataDisc, vx::disc::classify_root(disc("data", {"readme.txt"})));

    // An audio track that MCI finds makes an audio CD even with autorun.
    cd.mci.audio_tracks = {false, true};
    cd.optical.drives = {{disc("mixed", {"autorun.exe"})}};
    EXPECT_EQ(vx::disc::kAudioCd, vx::disc::classify_root(cd.optical.drives[0].root));
}

TEST_F(DiscFolders, EmptyFirstDriveAndDataSecondChoosesTheSecond)
{
    const std::string first = disc("e", {});
    const std::string second = disc("f", {"setup.txt"});
    cd.optical.drives = {{"C:\\", DRIVE_FIXED, true}, {first, DRIVE_CDROM, false}, {second, DRIVE_CDROM, true}};
    const auto choice = vx::disc::choose_drive();
    EXPECT_EQ(vx::disc::kDataDisc, choice.kind);
    EXPECT_EQ(second, choice.root);
    vx::disc::play_state().flag = 1;
    EXPECT_EQ(-1, CD_CheckPlayPauseStatus());
    EXPECT_EQ(1, CD_IsPlaying()) << "the flag is left alone";
}

TEST_F(DiscFolders, NoDriveIsKindSixAndLeavesTheFlag)
{
    cd.optical.drives = {{"C:\\", DRIVE_FIXED, true}};
    EXPECT_EQ(vx::disc::kNoDrive, vx::disc::choose_drive().kind);
    vx::disc::play_state().flag = 1;
    EXPECT_EQ(0, CD_CheckPlayPauseStatus());
    EXPECT_EQ(1, CD_IsPlaying());
}

TEST_F(DiscFolders, EmptyDriveAsksNothingBeyondTheVolume)
{
    cd.optical.drives = {{disc("e", {"Track01.cda"}), DRIVE_CDROM, false}};
    EXPECT_EQ(vx::disc::kNoDisc, vx::disc::choose_drive().kind);
    EXPECT_TRUE(cd.mci.commands.empty());
}

TEST_F(DiscFolders, AudioCdPlayStateComesFromMci)
{
    cd.optical.drives = {{disc("cda", {"Track01.cda"})}};
    cd.mci.mode = "playing";
    EXPECT_EQ(1, CD_CheckPlayPauseStatus());
    EXPECT_EQ(1, CD_IsPlaying());
    cd.mci.mode = "paused";
    EXPECT_EQ(0, CD_CheckPlayPauseStatus());
    EXPECT_EQ(0, CD_IsPlaying());
}

TEST_F(DiscFolders, DvdChecksWithinOneSecondInvertWithoutScsi)
{
    cd.optical.drives = {{disc("dvd", {"video_ts\\vts_01_0.ifo"})}};
    // No SCSI device found: OnIsCdromPlaying answers 0 on the first check.
    EXPECT_EQ(0, CD_CheckPlayPauseStatus());
    cd.tick += 400;
    EXPECT_EQ(1, CD_CheckPlayPauseStatus());
    cd.tick += 400;
    EXPECT_EQ(0, CD_CheckPlayPauseStatus());
    cd.tick += 1000;
    vx::disc::play_state().flag = 1;
    EXPECT_EQ(0, CD_CheckPlayPauseStatus()) << "after a second the drive is asked again";
}

TEST_F(DiscFolders, OverlongDriveListIsReadOnlyAsFarAsItFits)
{
    for (int i = 0; i < 40; ++i)
        cd.optical.drives.push_back({std::string(8, static_cast<char>('a' + i % 26)) + ":\\", DRIVE_CDROM, false});
    EXPECT_TRUE(vx::disc::cdrom_roots().empty()) << "the list does not fit 260 characters and is not read";
    cd.optical.drives.resize(5);
    EXPECT_EQ(5u, vx::disc::cdrom_roots().size());
}
