#include <gtest/gtest.h>

#include "core/version_string.h"

using vx::files::parse_version_string;
using vx::files::version_value_path;

namespace {

void expect_version(const char* text, std::uint32_t high, std::uint32_t low)
{
    const auto v = parse_version_string(text);
    EXPECT_EQ(high, v.high) << text;
    EXPECT_EQ(low, v.low) << text;
}

} // namespace

TEST(VersionString, FourNumbersSplitAtCommasOrFullStops)
{
    expect_version("6.1.7600.16385 (win7_rtm.090713-1255)", 6u << 16 | 1, 7600u << 16 | 16385);
    expect_version("1, 0, 0, 3", 1u << 16, 3);
    expect_version("2.5", 2u << 16 | 5, 0);
    expect_version("", 0, 0);
    expect_version("7", 7u << 16, 0);
    expect_version("1.2.3.4.5", 1u << 16 | 2, 3u << 16 | 4); // a fifth number is ignored
    expect_version("1,,3", 1u << 16, 3u << 16); // an empty number is 0
    expect_version("v1.2", 2, 0); // like atoi, no leading digits gives 0
    expect_version("1 0. 2 5", 10u << 16 | 25, 0); // blanks are removed before splitting
}

TEST(VersionString, OverflowWrapsInsteadOfUndefinedBehaviour)
{
    const auto v = parse_version_string("99999999999.70000");
    EXPECT_EQ(static_cast<std::uint32_t>(99999999999ull % 4294967296ull) * 65536u + 70000u, v.high);
}

TEST(VersionString, ValuePathUsesLowercaseHexOfTheFirstTranslation)
{
    EXPECT_EQ("\\StringFileInfo\\040904b0\\FileVersion", version_value_path(0x0409, 1200, "FileVersion"));
    EXPECT_EQ("\\StringFileInfo\\000004e4\\FileDescription", version_value_path(0, 1252, "FileDescription"));
}
