// Command-line switches of setup.
#include <gtest/gtest.h>

#include <string>

#include "core/switches.h"

using vx::setup::parse_switches;
using vx::setup::SwitchFlags;

namespace {
struct Case {
    const char* line;
    bool hidden, silent, no_restart;
};
} // namespace

TEST(Switches, FlagsForEachSwitchAndSpelling)
{
    const Case cases[] = {
        {"", false, false, false},
        {"/H", true, true, false},
        {"/h", true, true, false},
        {"/QN", true, false, false},
        {"/q n", true, false, false},
        {"/S", false, true, false},
        {"/S /NR", false, true, true},
        {"/nR", false, false, true},
        {"NR", false, false, false},            // no slash in front
        {"NR /S", false, true, false},          // text before the first slash
        {"/S//H", false, true, false},          // an empty switch ends the list
        {"/S/", false, true, false},
        {"/V /TYPE:PS2 /TYPE:USB /PRELOAD /P", false, false, false},
        {"/HS", false, false, false},
        {"/ Q\tN", true, false, false},
    };
    for (const Case& c : cases) {
        SwitchFlags f = parse_switches(c.line);
        EXPECT_EQ(c.hidden, f.hidden) << c.line;
        EXPECT_EQ(c.silent, f.silent) << c.line;
        EXPECT_EQ(c.no_restart, f.no_restart) << c.line;
    }
}

TEST(Switches, OnlyFifteenSwitchesOfFifteenCharactersAreTaken)
{
    std::string line;
    for (int i = 0; i < 15; ++i)
        line += "/V";
    EXPECT_FALSE(parse_switches(line + "/H").hidden);
    EXPECT_TRUE(parse_switches(line.substr(2) + "/H").hidden);
    // Longer switches are cut, so they never match a short name by accident
    // and never overflow anything.
    EXPECT_FALSE(parse_switches("/H" + std::string(100, 'X')).hidden);
    EXPECT_FALSE(parse_switches("/" + std::string(14, 'X') + "NR").no_restart);
    EXPECT_TRUE(parse_switches("/" + std::string(10000, ' ') + "NR").no_restart);
}
