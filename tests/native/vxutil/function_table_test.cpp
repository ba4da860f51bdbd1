#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "core/function_table.h"

using namespace vx::functions;

TEST(FunctionTable, HasThirtySevenRowsWithUniqueNamesAndCodes)
{
    std::set<std::string> names;
    std::set<std::uint32_t> codes;
    for (const Row& r : rows()) {
        EXPECT_TRUE(names.insert(r.name).second) << r.name;
        if (r.code)
            EXPECT_TRUE(codes.insert(r.code).second) << r.name;
        EXPECT_EQ(nullptr, r.fallback);
        EXPECT_EQ(Handler::None, r.type2);
    }
    EXPECT_EQ(37u, names.size());
    EXPECT_EQ(35u, codes.size()) << "Next Window and Screen Saver have no code";
}

TEST(FunctionTable, AuxRowsFollowTheirPattern)
{
    for (int k = 0; k < 9; ++k) {
        const Row* r = row_at(22 + k);
        ASSERT_NE(nullptr, r);
        EXPECT_EQ(0x8101u + static_cast<unsigned>(k), r->code);
        EXPECT_EQ("AUX" + std::to_string(k + 1), r->name);
        EXPECT_EQ(0u, r->description);
    }
    EXPECT_EQ(nullptr, row_at(-1));
    EXPECT_EQ(nullptr, row_at(37));
    EXPECT_EQ(nullptr, row_at(1 << 30));
    EXPECT_STREQ("Excel", row_at(36)->name);
    EXPECT_EQ(0x30u, row_at(31)->code);
}

TEST(FunctionTable, NameLookupIgnoresCaseAndCodeZeroNeverMatches)
{
    ASSERT_NE(nullptr, find_by_name("cd play"));
    EXPECT_EQ(0xB0u, find_by_name("cd play")->code);
    EXPECT_EQ(0u, find_by_name("Next Window")->code);
    EXPECT_EQ(nullptr, find_by_name("CD Play "));
    EXPECT_EQ(nullptr, find_by_name(""));
    EXPECT_EQ(nullptr, find_by_code(0));
    EXPECT_EQ(nullptr, find_by_code(0x1234));
    EXPECT_STREQ("Volume Up", find_by_code(0xE9)->name);
    EXPECT_STREQ("My Documents", find_by_code(0x8001)->name);
    EXPECT_EQ(30006u, find_by_code(0x8001)->description);
}

TEST(FunctionTable, DispatchPicksTheEventsOwnHandler)
{
    const Row& up = *find_by_name("Volume Up");
    EXPECT_EQ(Handler::StartVolumeIncrease, pick(up, 1).handler);
    EXPECT_EQ(Handler::StopVolumeIncrease, pick(up, 0).handler);
    EXPECT_FALSE(pick(up, 2).found());
    EXPECT_FALSE(pick(up, 5).found());
    EXPECT_FALSE(pick(up, -1).found());

    const Row& mute = *find_by_name("Mute");
    EXPECT_EQ(Handler::ToggleMute, pick(mute, 1).handler);
    EXPECT_FALSE(pick(mute, 0).found()) << "release of Mute does nothing";
    EXPECT_FALSE(pick(*find_by_name("Search"), 1).found());

    // A default handler takes every event without its own handler; the
    // event's own handler still wins where there is one.
    Row custom = mute;
    custom.type2 = Handler::LaunchHelp;
    custom.fallback = [](int type) { return type * 10; };
    EXPECT_EQ(Handler::LaunchHelp, pick(custom, 2).handler);
    EXPECT_EQ(nullptr, pick(custom, 2).fallback);
    EXPECT_EQ(Handler::ToggleMute, pick(custom, 1).handler);
    ASSERT_TRUE(pick(custom, 0).found());
    EXPECT_EQ(Handler::None, pick(custom, 0).handler);
    EXPECT_EQ(70, pick(custom, 7).fallback(7));
}
