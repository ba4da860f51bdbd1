// Field reader and directory macros of script values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <string>

#include "core/script_fields.h"

using namespace vx::setup;

namespace {

const MacroFolders kFolders{"C:\\Windows\\system32", "C:\\Windows", "C:\\Windows\\system32", "D:\\pkg"};

MacroExpander expander(std::map<std::string, std::string> strings = {})
{
    return [strings](std::string_view name) {
        return expand_macro(name, kFolders, [&strings](std::string_view key) {
            for (const auto& [k, v] : strings) {
                if (k.size() == key.size() && std::equal(k.begin(), k.end(), key.begin(), [](char a, char b) {
                        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
                    }))
                    return v;
            }
            return std::string{};
        });
    };
}

std::vector<std::string> fields_of(std::string_view value, std::size_t max = 8)
{
    std::vector<std::string> fields(max);
    fields.resize(read_fields(value, expander(), fields.data(), max));
    return fields;
}

} // namespace

TEST(ReadField, MacroQuotedCommaAndPlainFieldGiveThreeFields)
{
    const std::string value = "%10%\\Fonts, \"a,b\" ,x";
    FieldResult first = read_field(value, expander());
    EXPECT_EQ("C:\\Windows\\Fonts", first.text);
    ASSERT_EQ(',', value[first.end]);
    EXPECT_EQ((std::vector<std::string>{"C:\\Windows\\Fonts", "a,b ", "x"}), fields_of(value));
}

TEST(ReadField, QuotingRules)
{
    EXPECT_EQ("", read_field("\"\"", expander()).text);
    EXPECT_EQ(2u, read_field("\"\"", expander()).end);
    // Quoted text is verbatim: percent signs are not macros there.
    EXPECT_EQ("%1% x", read_field("\"%1% x\"", expander()).text);
    // Doubled quotes inside plain text vanish.
    EXPECT_EQ("ab", read_field("a\"\"b", expander()).text);
    EXPECT_EQ("a b", read_field("a\" \"b", expander()).text);
}

TEST(ReadField, BlanksAreSkippedOnlyInFront)
{
    FieldResult r = read_field(" \t  name  ,", expander());
    EXPECT_EQ("name  ", r.text);
    EXPECT_EQ(10u, r.end);
    EXPECT_EQ(3u, read_field("   ", expander()).end);
    EXPECT_EQ((std::vector<std::string>{"a", "", "c"}), fields_of("a,,c"));
    EXPECT_EQ((std::vector<std::string>{"a", ""}), fields_of("a,"));
}

TEST(ReadField, UnmatchedQuoteRunsToEndAndEndsTheValue)
{
    const std::string value = "\"C:\\a,b, c";
    FieldResult r = read_field(value, expander());
    EXPECT_EQ("C:\\a,b, c", r.text);
    EXPECT_EQ(value.size(), r.end);
    EXPECT_EQ(1u, fields_of(value).size());
}

TEST(ReadField, UnmatchedPercentIsKeptLiterally)
{
    EXPECT_EQ((std::vector<std::string>{"100%", "x"}), fields_of("100%,x"));
    EXPECT_EQ("%1", read_field("%1", expander()).text);
    // A percent pair may span a comma: the name is everything between them.
    EXPECT_EQ((std::vector<std::string>{"a"}), fields_of("a%,b%"));
}

TEST(ExpandMacro, BuiltinsThenStrings)
{
    auto expand = expander({{"App", "My App"}, {"11", "never used"}, {"Nested", "%1%"}});
    EXPECT_EQ("C:\\Windows\\system32", expand("11"));
    EXPECT_EQ("C:\\Windows", expand("10"));
    EXPECT_EQ("C:\\Windows\\system32", expand("99"));
    EXPECT_EQ("D:\\pkg", expand("1"));
    EXPECT_EQ("C:\\Windows\\System32\\Drivers", expand("12"));
    EXPECT_EQ("C:\\Windows\\Inf", expand("17"));
    EXPECT_EQ("C:\\Windows\\Help", expand("18"));
    EXPECT_EQ("My App", expand("app"));
    EXPECT_EQ("", expand("Missing"));
    EXPECT_EQ("", expand(""));
    // A replacement is not expanded again.
    EXPECT_EQ("%1%", expand("Nested"));
    EXPECT_EQ("D:\\pkg\\keys.reg", read_field("%1%\\keys.reg", expand).text);
    EXPECT_EQ("x%1%y", read_field("x%nested%y", expand).text);
}

TEST(ReadField, LongExpansionsAreCutAt259)
{
    const std::string big(300, 'v');
    auto expand = expander({{"Big", big}});
    EXPECT_EQ(std::string(259, 'v'), expand("Big"));
    FieldResult r = read_field("%big%%big%tail,next", expand);
    EXPECT_EQ(std::string(259, 'v'), r.text);
    std::vector<std::string> fields(2);
    ASSERT_EQ(2u, read_fields("%big%tail,next", expand, fields.data(), 2));
    EXPECT_EQ("next", fields[1]);
    // A quoted run and plain text over the bound are cut the same way.
    EXPECT_EQ(259u, read_field("\"" + big + "\"", expand).text.size());
    EXPECT_EQ(259u, read_field(big, expand).text.size());
}

TEST(ReadField, OverlongMacroNameIsCut)
{
    std::string seen;
    MacroExpander spy = [&seen](std::string_view name) {
        seen = std::string(name);
        return std::string("r");
    };
    EXPECT_EQ("r", read_field("%" + std::string(400, 'n') + "%", spy).text);
    EXPECT_EQ(259u, seen.size());
}
