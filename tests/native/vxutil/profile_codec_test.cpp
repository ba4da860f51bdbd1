#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/profile_codec.h"

using namespace vx::profile;

namespace {

std::vector<std::uint8_t> bytes(std::initializer_list<int> values)
{
    std::vector<std::uint8_t> v;
    for (int b : values)
        v.push_back(static_cast<std::uint8_t>(b));
    return v;
}

std::vector<std::uint8_t> text(const char* s, bool with_nul = true)
{
    return std::vector<std::uint8_t>(s, s + std::strlen(s) + (with_nul ? 1 : 0));
}

} // namespace

TEST(ProfilePaths, UserLevelSitsBetweenRootAndSection)
{
    char path[kPathSize];
    ASSERT_TRUE(compose_user_path("Software\\A", "bob", "OSD", path));
    EXPECT_STREQ("Software\\A\\users\\bob\\OSD", path);
    ASSERT_TRUE(compose_machine_path("Software\\A", "OSD", path));
    EXPECT_STREQ("Software\\A\\OSD", path);
    ASSERT_TRUE(compose_user_path("Software\\A", "bob", "", path));
    EXPECT_STREQ("Software\\A\\users\\bob", path) << "empty section ends at the user's key";
    ASSERT_TRUE(compose_machine_path("Software\\A", "", path));
    EXPECT_STREQ("Software\\A", path);
    ASSERT_TRUE(compose_user_path("Software\\A", "", "OSD", path));
    EXPECT_STREQ("Software\\A\\OSD", path) << "an empty user adds no users level";
}

TEST(ProfilePaths, OverLongPathFailsInsteadOfNamingAnotherKey)
{
    char path[kPathSize];
    const std::string root(250, 'r');
    ASSERT_TRUE(compose_machine_path(root, std::string(8, 's'), path));
    EXPECT_EQ(259u, std::strlen(path)) << "259 characters still fit";
    EXPECT_FALSE(compose_machine_path(root, std::string(9, 's'), path));
    EXPECT_STREQ("", path);
    EXPECT_FALSE(compose_user_path(root, "bob", "OSD", path));
    EXPECT_FALSE(compose_user_path(std::string(300, 'r'), "", "", path));
}

TEST(ProfileValues, NumbersFromTextDwordAndFourByteBinary)
{
    EXPECT_EQ(42, decode_number(kTypeString, text("42")));
    EXPECT_EQ(31, decode_number(kTypeString, text("0x1F", false))) << "text without its terminator";
    EXPECT_EQ(0x04030201, decode_number(kTypeDword, bytes({1, 2, 3, 4})));
    EXPECT_EQ(-2, decode_number(kTypeBinary, bytes({0xFE, 0xFF, 0xFF, 0xFF})));
    EXPECT_FALSE(decode_number(kTypeBinary, bytes({1, 2})).has_value()) << "2-byte binary is missing";
    EXPECT_FALSE(decode_number(kTypeBinary, bytes({1, 2, 3, 4, 5})).has_value());
    EXPECT_FALSE(decode_number(kTypeExpandString, text("5")).has_value());
    EXPECT_FALSE(decode_number(7 /* REG_MULTI_SZ */, text("5")).has_value());
}

TEST(ProfileValues, BoolsAreNotFolded)
{
    EXPECT_EQ(1, decode_bool(kTypeString, text("true")));
    EXPECT_EQ(0, decode_bool(kTypeString, text("False")));
    EXPECT_EQ(16, decode_bool(kTypeString, text("0x10")));
    EXPECT_EQ(7, decode_bool(kTypeString, text("7")));
    EXPECT_EQ(0, decode_bool(kTypeString, text("TRUE!")));
    EXPECT_EQ(5, decode_bool(kTypeDword, bytes({5, 0, 0, 0})));
    EXPECT_EQ(5, decode_bool(kTypeBinary, bytes({5, 0, 0, 0, 9, 9}))) << "first four bytes of a longer value";
    EXPECT_EQ(0x0201, decode_bool(kTypeBinary, bytes({1, 2}))) << "a short value is zero-filled, never over-read";
    EXPECT_EQ(0, decode_bool(kTypeBinary, {}));
    EXPECT_FALSE(decode_bool(kTypeExpandString, text("1")).has_value());
}

TEST(ExpandableTexts, FolderVariablesAreRenamedWherePairedReferencesNameThem)
{
    const VariableRename to_64[] = {{"ProgramFiles", "ProgramW6432"}, {"CommonProgramFiles", "CommonProgramW6432"}};
    EXPECT_EQ("%ProgramW6432%\\a;%CommonProgramW6432%\\b",
              rename_variables("%programfiles%\\a;%CommonProgramFiles%\\b", to_64));
    EXPECT_EQ("%ProgramW6432%%ProgramW6432%", rename_variables("%ProgramFiles%%ProgramFiles%", to_64));
    EXPECT_EQ("%SystemRoot%ProgramFiles%", rename_variables("%SystemRoot%ProgramFiles%", to_64))
        << "the second \"%\" closes the first reference";
    EXPECT_EQ("%ProgramFilesX%;%ProgramFiles", rename_variables("%ProgramFilesX%;%ProgramFiles", to_64));
}
