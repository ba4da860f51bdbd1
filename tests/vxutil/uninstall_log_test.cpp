// The uninstall-log writers against the real registry of the Wine prefix.
#include <gtest/gtest.h>

#include <string>

#include "vxutil.h"

namespace {

const std::string kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::string kShared = "Software\\Quorvel\\Uninstall\\SharedFile\\";

struct UninstallLog : ::testing::Test {
    std::string a = "VxTestEntryA_" + std::to_string(GetCurrentProcessId());
    std::string b = "VxTestEntryB_" + std::to_string(GetCurrentProcessId());
    std::string files[3] = {"help_" + std::to_string(GetCurrentProcessId()) + ".txt",
                            "readme_" + std::to_string(GetCurrentProcessId()) + ".txt", ""};

    void SetUp() override
    {
        create(kUninstall + a);
        create(kUninstall + b);
    }
    void TearDown() override
    {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, (kUninstall + a).c_str());
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, (kUninstall + b).c_str());
        for (const auto& f : files)
            if (!f.empty())
                RegDeleteTreeA(HKEY_LOCAL_MACHINE, (kShared + f).c_str());
    }
    static void create(const std::string& key)
    {
        HKEY k;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr));
        RegCloseKey(k);
    }
    // The value's text, or "<missing>"; checks that the stored length counts the NUL.
    static std::string value(const std::string& key, const std::string& name)
    {
        char data[512] = {};
        DWORD size = sizeof data, type = 0;
        if (RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), name.c_str(), RRF_RT_ANY, &type, data, &size) != ERROR_SUCCESS)
            return "<missing>";
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
        EXPECT_EQ(std::string(data).size() + 1, size);
        return data;
    }
    static bool key_exists(const std::string& key)
    {
        HKEY k;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
            return false;
        RegCloseKey(k);
        return true;
    }
};

} // namespace

TEST_F(UninstallLog, FileGoesIntoBothEntriesAndTheSharedFileKey)
{
    const std::string path = "C:\\Tools\\App\\" + files[0];
    EXPECT_EQ(0, CreateUninstallDeleteFileRegistry(path.c_str(), a.c_str(), b.c_str()));
    EXPECT_EQ("C:\\Tools\\App", value(kUninstall + a + "\\DeleteFiles", files[0]));
    EXPECT_EQ("C:\\Tools\\App", value(kUninstall + b + "\\DeleteFiles", files[0]));
    EXPECT_EQ("C:\\Tools\\App", value(kShared + files[0], a));
    EXPECT_EQ("C:\\Tools\\App", value(kShared + files[0], b));

    // The same file name in another folder replaces the first.
    const std::string moved = "D:\\Other\\" + files[0];
    CreateUninstallDeleteFileRegistry(moved.c_str(), a.c_str(), nullptr);
    EXPECT_EQ("D:\\Other", value(kUninstall + a + "\\DeleteFiles", files[0]));
}

TEST_F(UninstallLog, PathWithoutBackslashHasAnEmptyFolder)
{
    EXPECT_EQ(0, CreateUninstallDeleteFileRegistry(files[1].c_str(), a.c_str(), ""));
    EXPECT_EQ("", value(kUninstall + a + "\\DeleteFiles", files[1]));
    EXPECT_EQ("", value(kShared + files[1], a));
}

TEST_F(UninstallLog, EmptyOrMissingEntriesArePassedOver)
{
    const std::string path = "C:\\x\\" + files[0];
    EXPECT_EQ(0, CreateUninstallDeleteFileRegistry(path.c_str(), "", b.c_str()));
    EXPECT_FALSE(key_exists(kUninstall + a + "\\DeleteFiles"));
    EXPECT_EQ("C:\\x", value(kUninstall + b + "\\DeleteFiles", files[0]));

    const std::string nobody = "VxTestNoSuchEntry_" + std::to_string(GetCurrentProcessId());
    EXPECT_NE(0, CreateUninstallDeleteFileRegistry(path.c_str(), nullptr, nobody.c_str()));
    EXPECT_FALSE(key_exists(kUninstall + nobody));
    EXPECT_EQ("<missing>", value(kShared + files[0], nobody)) << "not even the shared-file value";
    EXPECT_EQ(0, CreateUninstallDeleteFileRegistry(nullptr, a.c_str(), b.c_str()));
}

TEST_F(UninstallLog, DirectoryValueGoesIntoDeleteDirectory)
{
    EXPECT_EQ(0, CreateUninstallDeleteDirRegistry("AppFolder", "C:\\Tools\\App", a.c_str(), b.c_str()));
    EXPECT_EQ("C:\\Tools\\App", value(kUninstall + a + "\\DeleteDirectory", "AppFolder"));
    EXPECT_EQ("C:\\Tools\\App", value(kUninstall + b + "\\DeleteDirectory", "AppFolder"));
    EXPECT_EQ(0, CreateUninstallDeleteDirRegistry("Other", "x", a.c_str(), nullptr)) << "0 without a second entry";
    EXPECT_EQ("x", value(kUninstall + a + "\\DeleteDirectory", "Other"));
}

TEST_F(UninstallLog, OverlongKeyPathsAreNotWrittenTruncated)
{
    const std::string long_file = "C:\\t\\" + std::string(250, 'f');
    EXPECT_NE(0, CreateUninstallDeleteFileRegistry(long_file.c_str(), nullptr, a.c_str()));
    // The DeleteFiles value itself fits (value names may be long); the
    // shared-file key path does not and is skipped.
    EXPECT_EQ("C:\\t", value(kUninstall + a + "\\DeleteFiles", std::string(250, 'f')));
    EXPECT_FALSE(key_exists(kShared + std::string(250, 'f')));

    const std::string long_entry(300, 'e');
    EXPECT_NE(0, CreateUninstallDeleteDirRegistry("n", "d", nullptr, long_entry.c_str()));
}
