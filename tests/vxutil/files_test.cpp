// File existence, version resources of executables built with known
// VERSIONINFO, the executable behind a window, the program search and the
// Start-menu folders, all against the real file system under Wine.
#include <gtest/gtest.h>

#include <windows.h>
#include <commdlg.h>

#include <string>

#include "support/pe_exports.h"
#include "vxutil.h"
#include "vxutil/fake_version.h"
#include "vxutil/test_folder.h"
#include "vxutil/test_windows.h"

using vxtest::FakeVersion;
using vxtest::program_folder;
using vxtest::TempFolder;
using vxtest::TestWindow;

namespace {

std::string sample(const char* name) { return program_folder() + name + ".exe"; }

TEST(FileExisted, FilesFoldersAndPatterns)
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    EXPECT_EQ(1, FileExisted((std::string(windows) + "\\*.exe").c_str()));
    EXPECT_EQ(1, FileExisted(windows));
    EXPECT_EQ(1, FileExisted(sample("version_short").c_str()));
    EXPECT_EQ(0, FileExisted((std::string(windows) + "\\no-such-file.vx").c_str()));
    EXPECT_EQ(0, FileExisted(""));
    EXPECT_EQ(0, FileExisted(nullptr));
}

TEST(FileVersion, FixedVersionAndFileVersionText)
{
    DWORD high = 0, low = 0;
    ASSERT_EQ(1, GetFileVersionFromNumber(sample("version_label").c_str(), &high, &low));
    EXPECT_EQ(0x00060001u, high);
    EXPECT_EQ((7600u << 16) | 16385u, low);

    const struct {
        const char* name;
        DWORD high, low;
    } rows[] = {
        {"version_label", 6u << 16 | 1, 7600u << 16 | 16385},
        {"version_commas", 1u << 16, 3},
        {"version_short", 2u << 16 | 5, 0},
    };
    for (const auto& row : rows) {
        high = low = 0xDEAD;
        ASSERT_EQ(1, GetFileVersionFromString(sample(row.name).c_str(), &high, &low)) << row.name;
        EXPECT_EQ(row.high, high) << row.name;
        EXPECT_EQ(row.low, low) << row.name;
    }
}

TEST(FileVersion, MissingFilesAndResourcesLeaveOutputsAlone)
{
    DWORD high = 7, low = 8;
    char text[32] = "untouched";
    EXPECT_EQ(0, GetFileVersionFromNumber("C:\\no\\such.exe", &high, &low));
    EXPECT_EQ(0, GetFileVersionFromString("C:\\no\\such.exe", &high, &low));
    EXPECT_EQ(0, GetFileDescription("C:\\no\\such.exe", text, sizeof text));
    TempFolder folder("noversion");
    folder.add_file("plain.txt", "no resource here");
    EXPECT_EQ(0, GetFileVersionFromString((folder / "plain.txt").c_str(), &high, &low));
    EXPECT_EQ(7u, high);
    EXPECT_EQ(8u, low);
    EXPECT_STREQ("untouched", text);
}

TEST(FileDescription, CopiedOnlyWithRoomForTheTerminator)
{
    const std::string path = sample("version_label");
    const std::string description = "Sample with a label";
    char text[64];
    ASSERT_EQ(1, GetFileDescription(path.c_str(), text, static_cast<int>(description.size() + 1)));
    EXPECT_EQ(description, text);
    memset(text, '#', sizeof text);
    EXPECT_EQ(0, GetFileDescription(path.c_str(), text, static_cast<int>(description.size())));
    EXPECT_EQ('#', text[0]);
    EXPECT_EQ(0, GetFileDescription(path.c_str(), text, 0));
}

TEST(WindowFileName, ProcessModulePathOnNTAndSnapshotNameElsewhere)
{
    TestWindow window("mine");
    char expected[MAX_PATH];
    GetModuleFileNameA(nullptr, expected, sizeof expected);
    char path[MAX_PATH] = "";
    ASSERT_EQ(1, GetWndFileName(window.get(), path, sizeof path));
    EXPECT_EQ(0, lstrcmpiA(expected, path)) << path;
    const int length = static_cast<int>(strlen(expected));
    EXPECT_EQ(0, GetWndFileName(window.get(), path, length)) << "no room for the terminator";
    EXPECT_EQ(1, GetWndFileName(window.get(), path, length + 1));

    FakeVersion win98(1, 4, 10);
    ASSERT_EQ(1, GetWndFileName(window.get(), path, sizeof path));
    const std::string full = expected;
    const std::string exe = full.substr(full.find_last_of('\\') + 1);
    const std::string got = path;
    EXPECT_EQ(0, lstrcmpiA(exe.c_str(), got.substr(got.find_last_of('\\') + 1).c_str())) << got;
    EXPECT_EQ(0, GetWndFileName(nullptr, path, sizeof path));
}

std::string title_of(const char* name)
{
    char title[MAX_PATH] = "";
    GetFileTitleA(name, title, sizeof title);
    return title;
}

TEST(FindProgram, DepthFirstByDisplayedTitle)
{
    TempFolder folder("find");
    folder.add_file("Games\\Solitaire.lnk");
    folder.add_file("Tools\\Deep\\Calculator.lnk");
    folder.add_file("readme.txt");
    char path[MAX_PATH] = "";
    ASSERT_EQ(1, FindProgram(folder.path().c_str(), title_of("Calculator.lnk").c_str(), path));
    EXPECT_EQ(folder / "Tools\\Deep\\Calculator.lnk", path);
    const std::string upper = [] {
        std::string t = title_of("Solitaire.lnk");
        for (auto& c : t)
            c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        return t;
    }();
    ASSERT_EQ(1, FindProgram(folder.path().c_str(), upper.c_str(), path)) << "case-insensitive";
    EXPECT_EQ(folder / "Games\\Solitaire.lnk", path);
    EXPECT_EQ(0, FindProgram(folder.path().c_str(), "Missing", path));

    EXPECT_EQ(1, FindProgramPath(title_of("readme.txt").c_str(), folder.path().c_str(), path));
    EXPECT_EQ(folder / "readme.txt", path);
    EXPECT_EQ(1, FindProgramPath(title_of("readme.txt").c_str(), folder.path().c_str(), nullptr));
    EXPECT_EQ(0, FindProgramPath("", folder.path().c_str(), path));
    EXPECT_STREQ("", path);
    EXPECT_EQ(0, FindProgramPath(nullptr, nullptr, path));
    const std::string too_long = folder.path() + "\\" + std::string(300, 'x');
    EXPECT_EQ(0, FindProgramPath(title_of("readme.txt").c_str(), too_long.c_str(), path));
}

TEST(FindProgram, TreesDeeperThanAPathStopInsteadOfOverflowing)
{
    TempFolder folder("deep");
    std::wstring deep = L"\\\\?\\" + std::wstring(folder.path().begin(), folder.path().end());
    for (int i = 0; i < 40; ++i) {
        deep += L"\\level_" + std::to_wstring(i);
        CreateDirectoryW(deep.c_str(), nullptr);
    }
    HANDLE file = CreateFileW((deep + L"\\Buried.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << "the test needs a path longer than MAX_PATH";
    CloseHandle(file);
    ASSERT_GT(deep.size(), 300u);
    folder.add_file("zz_shallow\\Shallow.txt");

    char path[MAX_PATH + 16];
    memset(path, '#', sizeof path);
    EXPECT_EQ(0, FindProgram(folder.path().c_str(), title_of("Buried.txt").c_str(), path));
    EXPECT_EQ('#', path[MAX_PATH]);
    EXPECT_EQ(1, FindProgram(folder.path().c_str(), title_of("Shallow.txt").c_str(), path))
        << "the search goes on past the cut-off branch";
}

TEST(MenuFolders, StartMenuAndProgramsExist)
{
    char start[MAX_PATH] = "", programs[MAX_PATH] = "";
    EXPECT_EQ(S_OK, GetStartMenuPath(start));
    EXPECT_EQ(S_OK, GetProgramMenuPath(programs));
    EXPECT_EQ(1, FileExisted(start)) << start;
    EXPECT_EQ(1, FileExisted(programs)) << programs;
    EXPECT_EQ(0, _strnicmp(start, programs, strlen(start))) << "Programs lies inside the Start menu";
}

} // namespace
