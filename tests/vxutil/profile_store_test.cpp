// The Reg_* contract against the real registry of the Wine prefix: each test
// works below its own root in HKCU and HKLM and removes it afterwards.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "services/profile_store.h"
#include "vxutil.h"

namespace {

struct ProfileStoreTest : ::testing::Test {
    std::string root;

    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root = std::string("Software\\VXUtilTests\\") + info->name();
        clean();
        vx::profile::reset_for_tests();
    }
    void TearDown() override
    {
        clean();
        vx::profile::reset_for_tests();
    }
    void clean()
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, root.c_str());
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, root.c_str());
    }
    std::string under(const std::string& rest) const { return rest.empty() ? root : root + "\\" + rest; }

    static void put(HKEY hive, const std::string& path, const char* name, DWORD type, const void* data, DWORD size,
                    REGSAM view = 0)
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(hive, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                                                 &key, nullptr));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size));
        RegCloseKey(key);
    }
    static void put_text(HKEY hive, const std::string& path, const char* name, const char* text, DWORD type = REG_SZ,
                         REGSAM view = 0)
    {
        put(hive, path, name, type, text, static_cast<DWORD>(strlen(text) + 1), view);
    }
    // The stored type and bytes, or type 0 when the value is missing.
    static std::pair<DWORD, std::vector<BYTE>> get(HKEY hive, const std::string& path, const char* name)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(hive, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return {0, {}};
        std::vector<BYTE> data(2048);
        DWORD type = 0, size = static_cast<DWORD>(data.size());
        const LONG r = RegQueryValueExA(key, name, nullptr, &type, data.data(), &size);
        RegCloseKey(key);
        if (r != ERROR_SUCCESS)
            return {0, {}};
        data.resize(size);
        return {type, data};
    }
    static bool key_exists(HKEY hive, const std::string& path)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(hive, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }
};

// ---- Value layer ----------------------------------------------------------

TEST_F(ProfileStoreTest, ValueStringReadsAnyTypeAndExpandsEnvironment)
{
    put_text(HKEY_CURRENT_USER, root, "plain", "hello");
    SetEnvironmentVariableA("VX_TEST_DIR", "C:\\here");
    put_text(HKEY_CURRENT_USER, root, "expand", "%VX_TEST_DIR%\\x", REG_EXPAND_SZ);
    const DWORD five = 5;
    put(HKEY_CURRENT_USER, root, "dword", REG_DWORD, &five, 4);

    char buffer[64];
    ASSERT_EQ(1, Reg_GetValueString(HKEY_CURRENT_USER, root.c_str(), "plain", buffer, sizeof buffer));
    EXPECT_STREQ("hello", buffer);
    ASSERT_EQ(1, Reg_GetValueString(HKEY_CURRENT_USER, root.c_str(), "expand", buffer, sizeof buffer));
    EXPECT_STREQ("C:\\here\\x", buffer);
    ASSERT_EQ(1, Reg_GetValueString(HKEY_CURRENT_USER, root.c_str(), "dword", buffer, sizeof buffer));
    EXPECT_EQ(5, buffer[0]);

    EXPECT_EQ(0, Reg_GetValueString(HKEY_CURRENT_USER, root.c_str(), "plain", buffer, 5)) << "no room for the NUL";
    EXPECT_EQ(0, Reg_GetValueString(HKEY_CURRENT_USER, root.c_str(), "missing", buffer, sizeof buffer));
    EXPECT_EQ(0, Reg_GetValueString(HKEY_CURRENT_USER, under("nokey").c_str(), "plain", buffer, sizeof buffer));
    EXPECT_EQ(0, Reg_GetValueString(HKEY_CURRENT_USER, root.c_str(), "plain", nullptr, 10));
}

// A caller's buffer of `size` bytes right before a PAGE_NOACCESS page: a
// read or write past its end is an access violation, not a silent pass.
struct GuardedBuffer {
    char* base = static_cast<char*>(VirtualAlloc(nullptr, 0x2000, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    DWORD size;
    explicit GuardedBuffer(DWORD n) : size(n)
    {
        DWORD old = 0;
        VirtualProtect(base + 0x1000, 0x1000, PAGE_NOACCESS, &old);
        std::memset(data(), '#', size);
    }
    ~GuardedBuffer() { VirtualFree(base, 0, MEM_RELEASE); }
    char* data() const { return base + 0x1000 - size; }
    bool terminated() const { return strnlen(data(), size) < size; }
};

TEST_F(ProfileStoreTest, TextReadsAreTerminatedInsideTheCallersBufferWhateverTheStoredData)
{
    const char eight[] = "ABCDEFGH";
    put(HKEY_CURRENT_USER, root, "binary", REG_BINARY, eight, 8);
    put(HKEY_CURRENT_USER, root, "none", REG_NONE, eight, 8);
    put(HKEY_CURRENT_USER, root, "dword", REG_DWORD, eight, 4);
    put(HKEY_CURRENT_USER, root, "unterminated", REG_SZ, eight, 8);
    put(HKEY_CURRENT_USER, root, "multi", REG_MULTI_SZ, "AB\0CDEF", 8);
    Reg_InitProfile("Software\\VXUtilTests", "");
    const std::string section = root.substr(root.find('\\', 9) + 1);
    for (const char* name : {"binary", "none", "dword", "unterminated", "multi"}) {
        for (DWORD size : {4u, 5u, 8u, 9u}) {
            GuardedBuffer direct(size), profile(size);
            // Terminated whether the read succeeds or not: some callers go on
            // with the buffer after a failed read.
            Reg_GetValueString(HKEY_CURRENT_USER, root.c_str(), name, direct.data(), static_cast<int>(size));
            EXPECT_TRUE(direct.terminated()) << name << " in " << size;
            Reg_GetProfileString(section.c_str(), name, profile.data(), static_cast<int>(size), nullptr);
            EXPECT_TRUE(profile.terminated()) << name << " in " << size << " through the profile";
        }
    }
    GuardedBuffer room(9);
    ASSERT_EQ(1, Reg_GetValueString(HKEY_CURRENT_USER, root.c_str(), "binary", room.data(), 9));
    EXPECT_STREQ("ABCDEFGH", room.data()) << "data with room for a terminator still reads";
}

TEST_F(ProfileStoreTest, ExpandableTextOfTheOtherViewNamesThatViewsFolders)
{
#if defined(_WIN64)
    const REGSAM other = KEY_WOW64_32KEY;
    const char* folders[] = {"ProgramFiles(x86)", "CommonProgramFiles(x86)"};
#else
    const REGSAM other = KEY_WOW64_64KEY;
    const char* folders[] = {"ProgramW6432", "CommonProgramW6432"};
#endif
    char programs[MAX_PATH] = "", common[MAX_PATH] = "";
    if (!GetEnvironmentVariableA(folders[0], programs, MAX_PATH) || !GetEnvironmentVariableA(folders[1], common, MAX_PATH))
        GTEST_SKIP() << "no other architecture on this system";
    put_text(HKEY_LOCAL_MACHINE, root, "dir", "%ProgramFiles%\\a;%CommonProgramFiles%\\b", REG_EXPAND_SZ, other);
    char buffer[MAX_PATH] = "";
    const int read = vx::profile::read_text_any_view(HKEY_LOCAL_MACHINE, root.c_str(), "dir", buffer, sizeof buffer);
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, root.c_str(), other, 0);
    ASSERT_EQ(1, read);
    EXPECT_EQ(std::string(programs) + "\\a;" + common + "\\b", buffer);
}

TEST_F(ProfileStoreTest, ValueStringLimitsExpandableTextToWorkBuffer)
{
    const std::string long_text(300, 'e');
    put_text(HKEY_CURRENT_USER, root, "long", long_text.c_str(), REG_EXPAND_SZ);
    std::vector<char> big(1024, '\0');
    EXPECT_EQ(0, Reg_GetValueString(HKEY_CURRENT_USER, root.c_str(), "long", big.data(), 1024));
    SetEnvironmentVariableA("VX_SHORT", "ab");
    put_text(HKEY_CURRENT_USER, root, "shrinks", "%VX_SHORT%%VX_SHORT%", REG_EXPAND_SZ);
    char small[5];
    EXPECT_EQ(1, Reg_GetValueString(HKEY_CURRENT_USER, root.c_str(), "shrinks", small, sizeof small))
        << "the expansion fits although the stored text does not";
    EXPECT_STREQ("abab", small);
    put_text(HKEY_CURRENT_USER, root, "long_plain", long_text.c_str());
    EXPECT_EQ(1, Reg_GetValueString(HKEY_CURRENT_USER, root.c_str(), "long_plain", big.data(), 1024));
    EXPECT_EQ(long_text, big.data());
}

TEST_F(ProfileStoreTest, ValueWritersUseTheirEncodingsAndCreateNoKeys)
{
    EXPECT_EQ(0, Reg_SetValueNumber(HKEY_CURRENT_USER, root.c_str(), "n", 7)) << "the key does not exist";
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, root));
    put_text(HKEY_CURRENT_USER, root, "seed", "x");

    ASSERT_EQ(1, Reg_SetValueString(HKEY_CURRENT_USER, root.c_str(), "s", "abc"));
    EXPECT_EQ(DWORD(REG_SZ), get(HKEY_CURRENT_USER, root, "s").first);
    EXPECT_EQ(4u, get(HKEY_CURRENT_USER, root, "s").second.size());
    ASSERT_EQ(1, Reg_SetValueNumber(HKEY_CURRENT_USER, root.c_str(), "n", -2));
    EXPECT_EQ(DWORD(REG_DWORD), get(HKEY_CURRENT_USER, root, "n").first);
    ASSERT_EQ(1, Reg_SetValueBool(HKEY_CURRENT_USER, root.c_str(), "b", 5));
    EXPECT_EQ(DWORD(REG_BINARY), get(HKEY_CURRENT_USER, root, "b").first);
    EXPECT_EQ((std::vector<BYTE>{5, 0, 0, 0}), get(HKEY_CURRENT_USER, root, "b").second);
    const BYTE blob[3] = {9, 8, 7};
    ASSERT_EQ(1, Reg_SetValueBinary(HKEY_CURRENT_USER, root.c_str(), "blob", blob, 3));
    EXPECT_EQ((std::vector<BYTE>{9, 8, 7}), get(HKEY_CURRENT_USER, root, "blob").second);
    EXPECT_EQ(0, Reg_SetValueBinary(HKEY_CURRENT_USER, root.c_str(), "blob", blob, -1));

    int value = 0;
    ASSERT_EQ(1, Reg_GetValueNumber(HKEY_CURRENT_USER, root.c_str(), "n", &value));
    EXPECT_EQ(-2, value);
    ASSERT_EQ(1, Reg_GetValueBool(HKEY_CURRENT_USER, root.c_str(), "b", &value));
    EXPECT_EQ(5, value) << "bools are not folded";
}

TEST_F(ProfileStoreTest, NumberReaderRejectsOtherSizesAndLongText)
{
    const BYTE two[2] = {1, 0};
    put(HKEY_CURRENT_USER, root, "two", REG_BINARY, two, 2);
    put_text(HKEY_CURRENT_USER, root, "hex", "0x20");
    put_text(HKEY_CURRENT_USER, root, "long", (std::string(300, '1')).c_str());
    int value = 99;
    EXPECT_EQ(0, Reg_GetValueNumber(HKEY_CURRENT_USER, root.c_str(), "two", &value));
    EXPECT_EQ(0, Reg_GetValueNumber(HKEY_CURRENT_USER, root.c_str(), "long", &value)) << "over 259 characters";
    EXPECT_EQ(99, value) << "written only on success";
    EXPECT_EQ(1, Reg_GetValueNumber(HKEY_CURRENT_USER, root.c_str(), "hex", &value));
    EXPECT_EQ(32, value);
}

TEST_F(ProfileStoreTest, BinaryReaderReportsByteCountEvenWhenTooSmall)
{
    const BYTE six[6] = {1, 2, 3, 4, 5, 6};
    put(HKEY_CURRENT_USER, root, "six", REG_BINARY, six, 6);
    BYTE buffer[8] = {};
    int size = 4;
    EXPECT_EQ(0, Reg_GetValueBinary(HKEY_CURRENT_USER, root.c_str(), "six", buffer, &size));
    EXPECT_EQ(6, size);
    size = sizeof buffer;
    EXPECT_EQ(1, Reg_GetValueBinary(HKEY_CURRENT_USER, root.c_str(), "six", buffer, &size));
    EXPECT_EQ(6, size);
    EXPECT_EQ(6, buffer[5]);
}

// ---- Profile layer --------------------------------------------------------

TEST_F(ProfileStoreTest, UserPathOverMachinePath)
{
    Reg_InitProfile(root.c_str(), "bob");
    put_text(HKEY_LOCAL_MACHINE, under("OSD"), "Font", "Arial");
    char buffer[64] = "";
    ASSERT_EQ(1, Reg_GetProfileString("OSD", "Font", buffer, sizeof buffer, "dflt"));
    EXPECT_STREQ("Arial", buffer) << "machine-wide value when the user has none";

    put_text(HKEY_CURRENT_USER, under("users\\bob\\OSD"), "Font", "Tahoma");
    ASSERT_EQ(1, Reg_GetProfileString("OSD", "Font", buffer, sizeof buffer, "dflt"));
    EXPECT_STREQ("Tahoma", buffer);

    EXPECT_EQ(0, Reg_GetProfileString("OSD", "Size", buffer, sizeof buffer, "dflt"));
    EXPECT_STREQ("dflt", buffer);
    strcpy(buffer, "kept");
    EXPECT_EQ(0, Reg_GetProfileString("OSD", "Size", buffer, sizeof buffer, nullptr));
    EXPECT_STREQ("kept", buffer);
    EXPECT_EQ(0, Reg_GetProfileString("OSD", "Size", buffer, 4, "a long default"));
    EXPECT_STREQ("a l", buffer) << "the default is cut to the buffer size";
}

TEST_F(ProfileStoreTest, ValueEqualToMachineWideIsNotCopiedToUser)
{
    Reg_InitProfile(root.c_str(), "bob");
    const DWORD seven = 7;
    put(HKEY_LOCAL_MACHINE, under("OSD"), "Time", REG_DWORD, &seven, 4);
    EXPECT_EQ(0, Reg_SetProfileNumber("OSD", "Time", 7));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, under("users\\bob\\OSD")));

    EXPECT_EQ(1, Reg_SetProfileNumber("OSD", "Time", 8)) << "creates root\\users\\bob\\OSD";
    EXPECT_EQ(DWORD(REG_DWORD), get(HKEY_CURRENT_USER, under("users\\bob\\OSD"), "Time").first);
    EXPECT_EQ(7, get(HKEY_LOCAL_MACHINE, under("OSD"), "Time").second[0]) << "machine value untouched";
    int value = 0;
    EXPECT_EQ(1, Reg_GetProfileNumber("OSD", "Time", &value, 0));
    EXPECT_EQ(8, value);

    EXPECT_EQ(1, Reg_SetProfileString("OSD", "Font", "Arial"));
    EXPECT_EQ(0, Reg_SetProfileString("OSD", "Font", "Arial"));
    EXPECT_EQ(1, Reg_SetProfileString("OSD", "Font", "arial")) << "strings compare case-sensitively";
}

TEST_F(ProfileStoreTest, MachineOnlyModeNeverTouchesCurrentUser)
{
    Reg_InitProfile(root.c_str(), nullptr);
    put_text(HKEY_CURRENT_USER, under("OSD"), "Font", "UserFont");
    char buffer[64];
    EXPECT_EQ(0, Reg_GetProfileString("OSD", "Font", buffer, sizeof buffer, "none"));
    EXPECT_STREQ("none", buffer);

    EXPECT_EQ(1, Reg_SetProfileString("OSD", "Font", "MachineFont"));
    EXPECT_EQ(DWORD(REG_SZ), get(HKEY_LOCAL_MACHINE, under("OSD"), "Font").first);
    EXPECT_EQ(std::string("UserFont"),
              reinterpret_cast<const char*>(get(HKEY_CURRENT_USER, under("OSD"), "Font").second.data()));

    Reg_InitProfile(root.c_str(), "");
    EXPECT_EQ(1, Reg_GetProfileString("OSD", "Font", buffer, sizeof buffer, nullptr));
    EXPECT_STREQ("UserFont", buffer) << "an empty user is user mode without a users level";
}

TEST_F(ProfileStoreTest, EmptySectionNamesTheRootAndTheUsersKey)
{
    Reg_InitProfile(root.c_str(), "bob");
    EXPECT_EQ(1, Reg_SetProfileNumber(nullptr, "Top", 3));
    EXPECT_EQ(DWORD(REG_DWORD), get(HKEY_CURRENT_USER, under("users\\bob"), "Top").first);
    put_text(HKEY_LOCAL_MACHINE, root, "Machine", "m");
    char buffer[8];
    EXPECT_EQ(1, Reg_GetProfileString("", "Machine", buffer, sizeof buffer, nullptr));
}

TEST_F(ProfileStoreTest, BoolTextsAndBinaryNumbers)
{
    Reg_InitProfile(root.c_str(), "bob");
    const std::string osd = under("users\\bob\\OSD");
    put_text(HKEY_CURRENT_USER, osd, "t", "true");
    put_text(HKEY_CURRENT_USER, osd, "f", "False");
    put_text(HKEY_CURRENT_USER, osd, "h", "0x10");
    put_text(HKEY_CURRENT_USER, osd, "s", "7");
    const BYTE two[2] = {1, 1};
    put(HKEY_CURRENT_USER, osd, "two", REG_BINARY, two, 2);
    const std::pair<const char*, int> expected[] = {{"t", 1}, {"f", 0}, {"h", 16}, {"s", 7}};
    for (const auto& [name, want] : expected) {
        int value = -1;
        EXPECT_EQ(1, Reg_GetProfileBool("OSD", name, &value, -5)) << name;
        EXPECT_EQ(want, value) << name;
    }
    int value = 0;
    EXPECT_EQ(0, Reg_GetProfileNumber("OSD", "two", &value, 42)) << "2-byte binary is no number";
    EXPECT_EQ(42, value);

    put_text(HKEY_CURRENT_USER, osd, "on", "TRUE");
    EXPECT_EQ(0, Reg_SetProfileBool("OSD", "on", 1)) << "\"TRUE\" already equals 1";
    EXPECT_EQ(DWORD(REG_SZ), get(HKEY_CURRENT_USER, osd, "on").first);
    EXPECT_EQ(1, Reg_SetProfileBool("OSD", "on", 0));
    EXPECT_EQ(DWORD(REG_DWORD), get(HKEY_CURRENT_USER, osd, "on").first) << "profile bools are DWORDs";
}

TEST_F(ProfileStoreTest, BinaryDefaultCopiesAtMostTheCapacity)
{
    Reg_InitProfile(root.c_str(), "bob");
    const BYTE fallback[4] = {1, 2, 3, 4};
    BYTE buffer[8] = {};
    int size = 8;
    EXPECT_EQ(0, Reg_GetProfileBinary("OSD", "Blob", buffer, &size, fallback, 4));
    EXPECT_EQ(4, size);
    EXPECT_EQ(4, buffer[3]);
    BYTE small[4] = {0, 0, 9, 9};
    size = 2;
    EXPECT_EQ(0, Reg_GetProfileBinary("OSD", "Blob", small, &size, fallback, 4));
    EXPECT_EQ(2, size);
    EXPECT_EQ(9, small[2]) << "nothing past the capacity";
    EXPECT_EQ(0, Reg_GetProfileBinary("OSD", "Blob", small, nullptr, fallback, 4));
}

TEST_F(ProfileStoreTest, OversizedUserValueDoesNotWidenTheMachineRead)
{
    Reg_InitProfile(root.c_str(), "bob");
    const std::vector<BYTE> big(64, 0xAB);
    put(HKEY_CURRENT_USER, under("users\\bob\\OSD"), "Blob", REG_BINARY, big.data(), 64);
    put(HKEY_LOCAL_MACHINE, under("OSD"), "Blob", REG_BINARY, big.data(), 32);
    BYTE buffer[16 + 48] = {};
    int size = 16;
    EXPECT_EQ(0, Reg_GetProfileBinary("OSD", "Blob", buffer, &size, nullptr, 0));
    EXPECT_EQ(0, buffer[16]) << "the machine read got the caller's capacity, not the user value's size";

    const BYTE same[3] = {1, 2, 3};
    EXPECT_EQ(1, Reg_SetProfileBinary("OSD", "Small", same, 3));
    EXPECT_EQ(0, Reg_SetProfileBinary("OSD", "Small", same, 3));
    EXPECT_EQ(1, Reg_SetProfileBinary("OSD", "Small", same, 2)) << "a different length is a change";
}

TEST_F(ProfileStoreTest, DeleteTriesOnlyTheFirstKeyThatOpens)
{
    Reg_InitProfile(root.c_str(), "bob");
    put_text(HKEY_CURRENT_USER, under("users\\bob\\OSD"), "x", "1");
    put_text(HKEY_LOCAL_MACHINE, under("OSD\\Old"), "x", "1");
    EXPECT_EQ(0, Reg_DelProfileKey("OSD", "Old"));
    EXPECT_TRUE(key_exists(HKEY_LOCAL_MACHINE, under("OSD\\Old")));

    RegDeleteTreeA(HKEY_CURRENT_USER, under("users").c_str());
    EXPECT_EQ(1, Reg_DelProfileKey("OSD", "Old"));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, under("OSD\\Old")));
    EXPECT_EQ(0, Reg_DelProfileKey("OSD", nullptr));
}

TEST_F(ProfileStoreTest, OverlongPathsFailWithoutWriting)
{
    const std::string long_root = root + "\\" + std::string(230, 'r');
    Reg_InitProfile(long_root.c_str(), "bob");
    EXPECT_EQ(0, Reg_SetProfileNumber("OSD", "n", 1));
    int value = 5;
    EXPECT_EQ(0, Reg_GetProfileNumber("OSD", "n", &value, 6));
    EXPECT_EQ(6, value);
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, long_root));

    const std::string huge(1000, 'x');
    Reg_InitProfile(huge.c_str(), huge.c_str());
    EXPECT_EQ(0, Reg_SetProfileString(huge.c_str(), "n", "v"));
}

} // namespace
