// Version tests through the version seam, the locale chooser and string
// loading against the real thread locale, the error box through the dialog
// seam, and the text exports' bounds.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/dialog_seam.h"
#include "services/resource_strings.h"
#include "services/system_modules.h"
#include "vxutil.h"
#include "vxutil/fake_version.h"

using vxtest::FakeVersion;

namespace {

struct VersionRow {
    const char* name;
    DWORD platform, major, minor;
    const char* expected; // IsWin95 98 ME NT 2000 XP 2003 2000orLater Vista 7above 8above
};

std::string all_tests()
{
    const int results[] = {IsWin95(), IsWin98(), IsWinME(),   IsNT(),        IsWin2000(), IsWinXP(),
                           IsWin2003(), IsWin2000orLater(), IsWinVista(), IsWin7above(), IsWin8above()};
    std::string s;
    for (int r : results)
        s += r ? '1' : '0';
    return s;
}

TEST(VersionTests, EachWindowsVersionAnswersExactlyItsTests)
{
    const VersionRow rows[] = {
        {"95", 1, 4, 0, "10000000000"},    {"98", 1, 4, 10, "01000000000"},   {"Me", 1, 4, 90, "00100000000"},
        {"NT4", 2, 4, 0, "00010000000"},   {"2000", 2, 5, 0, "00011001000"},  {"XP", 2, 5, 1, "00010101000"},
        {"2003", 2, 5, 2, "00010011000"},  {"Vista", 2, 6, 0, "00010001100"}, {"7", 2, 6, 1, "00010001010"},
        {"8", 2, 6, 2, "00010001011"},     {"8.1", 2, 6, 3, "00010001011"},   {"10", 2, 10, 0, "00010001000"},
        {"failed", 0, 0, 0, "00000000000"},
    };
    for (const auto& row : rows) {
        FakeVersion version(row.platform, row.major, row.minor);
        EXPECT_EQ(row.expected, all_tests()) << "Windows " << row.name;
    }
}

TEST(VersionTests, FailedQueryAnswersNoEverywhere)
{
    vx::platform::SeamOverride<BOOL(WINAPI*)(LPOSVERSIONINFOA)> fail(
        vx::platform::os().GetVersionExA, [](LPOSVERSIONINFOA) WINAPI -> BOOL { return FALSE; });
    EXPECT_EQ("00000000000", all_tests());
}

struct ThreadLocale : ::testing::Test {
    LCID saved = GetThreadLocale();
    void TearDown() override { SetThreadLocale(saved); }
};

TEST_F(ThreadLocale, SupportedLocaleStaysOthersMapByPrimaryLanguage)
{
    ASSERT_TRUE(SetThreadLocale(1041));
    EXPECT_EQ(1041, SetThreadResourceLocale());
    EXPECT_EQ(1041u, GetThreadLocale());

    const std::pair<LCID, LCID> mapped[] = {{2057, 1033}, {1049, 1033}, {3079, 1031}, {3076, 1028}, {3082, 2058}};
    for (const auto& [from, to] : mapped) {
        ASSERT_TRUE(SetThreadLocale(from)) << from;
        EXPECT_EQ(1, SetThreadResourceLocale()) << from;
        EXPECT_EQ(to, GetThreadLocale()) << from;
    }
}

TEST_F(ThreadLocale, StringsFollowTheThreadLocale)
{
    const HMODULE self = GetModuleHandleA(nullptr);
    char text[64];
    ASSERT_TRUE(SetThreadLocale(1031));
    EXPECT_EQ(10, vx::load_string(self, 101, text, sizeof text, LANGIDFROMLCID(GetThreadLocale())));
    EXPECT_STREQ("Lautst\xE4rke", text) << "ANSI code page text";
    EXPECT_EQ(15, vx::load_string(self, 117, text, sizeof text, 0x0407)) << "missing German entry: English block";
    ASSERT_TRUE(SetThreadLocale(1033));
    EXPECT_EQ(6, vx::load_string(self, 101, text, sizeof text, LANGIDFROMLCID(GetThreadLocale())));
    EXPECT_STREQ("Volume", text);
    EXPECT_EQ(10, vx::load_string(self, 101, text, sizeof text, 0x0C07)) << "German (Austria) uses German";
    EXPECT_EQ(6, vx::load_string(self, 101, text, sizeof text, 0x0411)) << "Japanese falls back to English";
    EXPECT_STREQ("Volume", text);
    EXPECT_EQ(3, vx::load_string(self, 101, text, 4, 0x0409));
    EXPECT_STREQ("Vol", text);
    EXPECT_EQ(0, vx::load_string(self, 999, text, sizeof text, 0x0409));
    EXPECT_STREQ("", text);
}

struct BoxRecord {
    std::string text, caption;
    UINT type = 0;
    int count = 0;
};
BoxRecord g_box;

int WINAPI record_box(HWND, LPCSTR text, LPCSTR caption, UINT type)
{
    g_box.text = text ? text : "";
    g_box.caption = caption ? caption : "";
    g_box.type = type;
    ++g_box.count;
    return IDOK;
}

TEST(SystemFolders, CommonFilesOfTheRunningWindowsComeFirst)
{
    // A 32-bit process on 64-bit Windows is told only of the x86 folder.
    char common[MAX_PATH] = "";
    if (!GetEnvironmentVariableA("CommonProgramW6432", common, MAX_PATH))
        GTEST_SKIP() << "32-bit Windows";
    const auto folders = vx::common_files_folders();
    ASSERT_FALSE(folders.empty());
    EXPECT_EQ(0, lstrcmpiA(common, folders.front().c_str())) << folders.front();
}

TEST(ErrorMessage, ShowsTheSystemTextOfTheLastError)
{
    g_box = {};
    vx::platform::SeamOverride<int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT)> box(vx::platform::dialogs().MessageBoxA,
                                                                           record_box);
    SetLastError(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(nullptr, ShowErrorMessage("Setup"));
    EXPECT_EQ(1, g_box.count);
    EXPECT_EQ("Setup", g_box.caption);
    EXPECT_EQ(UINT(MB_ICONINFORMATION), g_box.type);
    char expected[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_FILE_NOT_FOUND, 0, expected, sizeof expected, nullptr);
    EXPECT_EQ(expected, g_box.text);
    EXPECT_FALSE(g_box.text.empty());
}

TEST(TextExports, FieldsAndShellCommandsThroughTheExports)
{
    char field[32];
    int start = 0;
    const char* source = " x;y";
    EXPECT_EQ(source + 3, Str_GetFirstField(source, field, ';', &start));
    EXPECT_STREQ("x", field);
    EXPECT_EQ(1, start);
    EXPECT_EQ(3, Str_GetField(source, 2, field, ';'));
    EXPECT_EQ(-1, Str_GetField(nullptr, 1, field, ';'));
    EXPECT_EQ(31, StringToInteger("0x1f"));
    EXPECT_EQ(0, StringToInteger(nullptr));

    // A hostile registry command line never outgrows the 260-byte buffers.
    const std::string command = "C:\\" + std::string(500, 'a') + "\\b c\\d.exe " + std::string(500, 'z');
    char program[300], arguments[300];
    memset(program, '#', sizeof program);
    memset(arguments, '#', sizeof arguments);
    EXPECT_EQ(1, ParseShellCommand(command.c_str(), program, arguments));
    EXPECT_EQ(259u, strlen(program));
    EXPECT_EQ(259u, strlen(arguments));
    EXPECT_EQ('#', program[260]);
}

} // namespace
