#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/text_fields.h"

using namespace vx::text;

namespace {

struct Field {
    int offset;
    std::string text;
};

Field field(const char* source, int n, char separator = ',')
{
    char buffer[512];
    std::memset(buffer, 'X', sizeof buffer);
    buffer[sizeof buffer - 1] = '\0';
    const int offset = field_at(source, n, buffer, sizeof buffer, separator);
    return {offset, buffer};
}

struct Split {
    std::string program, arguments;
};

Split split(const char* command)
{
    char program[kShellFieldSize], arguments[kShellFieldSize];
    parse_shell_command(command, program, sizeof program, arguments, sizeof arguments);
    return {program, arguments};
}

} // namespace

TEST(StringToInteger, DecimalHexAndStopCharacters)
{
    EXPECT_EQ(123, string_to_integer("123"));
    EXPECT_EQ(31, string_to_integer("0x1f"));
    EXPECT_EQ(31, string_to_integer("0X1F"));
    EXPECT_EQ(16, string_to_integer("1x10")) << "x restarts the value in base 16";
    EXPECT_EQ(123, string_to_integer("12ab3")) << "letters are passed over in base 10";
    EXPECT_EQ(7, string_to_integer("7z9"));
    EXPECT_EQ(0, string_to_integer(""));
    EXPECT_EQ(0, string_to_integer("-5")) << "no sign";
    EXPECT_EQ(0, string_to_integer(" 5")) << "no blank skipping";
    EXPECT_EQ(12, string_to_integer(std::string_view("12\0" "3", 4))) << "a NUL ends the text";
}

TEST(StringToInteger, WrapsAroundInThirtyTwoBits)
{
    EXPECT_EQ(-1, string_to_integer("4294967295"));
    EXPECT_EQ(0, string_to_integer("4294967296"));
    EXPECT_EQ(-1, string_to_integer("0xFFFFFFFF"));
    EXPECT_EQ(0x23456789, string_to_integer("0x123456789"));
}

TEST(StrGetField, QuotesProtectSeparatorsAndVanish)
{
    const char* source = "a,\"b,c\", d";
    ASSERT_EQ(10u, std::strlen(source));
    EXPECT_EQ(0, field(source, 1).offset);
    EXPECT_EQ("a", field(source, 1).text);
    EXPECT_EQ(2, field(source, 2).offset);
    EXPECT_EQ("b,c", field(source, 2).text);
    EXPECT_EQ(9, field(source, 3).offset) << "the leading blank is dropped";
    EXPECT_EQ("d", field(source, 3).text);
    EXPECT_EQ(-1, field(source, 4).offset);
}

TEST(StrGetField, EmptyFieldsAndTheEndOfTheText)
{
    EXPECT_EQ(2, field("a,,b", 2).offset);
    EXPECT_EQ("", field("a,,b", 2).text);
    EXPECT_EQ(3, field("a,,b", 3).offset);
    EXPECT_EQ(-1, field("a,", 2).offset) << "a text ending in a separator has no further field";
    EXPECT_EQ(0, field(",b", 1).offset) << "an empty field ended by a separator is present";
    EXPECT_EQ(-1, field("", 1).offset);
    EXPECT_EQ(-1, field("   ", 1).offset) << "blanks alone are no field";
    EXPECT_EQ(-1, field("a", 0).offset);
    EXPECT_EQ(-1, field("a", -3).offset);
    EXPECT_EQ("b  ", field("a, b  ", 2).text) << "trailing blanks stay";
    EXPECT_EQ(" b", field("\" b\"", 1).text) << "blanks inside quotes stay";
}

TEST(StrGetField, FirstFieldReportsWhereTheNextBegins)
{
    const char* source = "one;two";
    char text[16];
    const auto scan = first_field(source, text, sizeof text, ';');
    EXPECT_STREQ("one", text);
    EXPECT_EQ(0, scan.start);
    EXPECT_EQ(source + 4, scan.next);
    const auto last = first_field(scan.next, text, sizeof text, ';');
    EXPECT_STREQ("two", text);
    EXPECT_EQ(source + 7, last.next) << "stops at the terminating zero";
    EXPECT_EQ(nullptr, first_field(nullptr, text, sizeof text, ';').next);
}

TEST(StrGetField, CopiesAreBoundedByTheCapacity)
{
    char small[4] = {'Z', 'Z', 'Z', 'Z'};
    EXPECT_EQ(0, field_at("abcdefgh,i", 1, small, sizeof small, ','));
    EXPECT_STREQ("abc", small);
    EXPECT_EQ(9, field_at("abcdefgh,i", 2, nullptr, 0, ',')) << "a null field buffer only locates";
}

TEST(ParseShellCommand, ProgramPathsWithBlanks)
{
    auto quoted = split("\"C:\\Program Files\\App\\app.exe\" -x");
    EXPECT_EQ("C:\\Program Files\\App\\app.exe", quoted.program);
    EXPECT_EQ("-x", quoted.arguments);

    auto unquoted = split("C:\\Program Files\\App\\app.exe /play %1");
    EXPECT_EQ("C:\\Program Files\\App\\app.exe", unquoted.program);
    EXPECT_EQ("/play %1", unquoted.arguments);

    auto blanks = split("C:\\Program Files\\App\\app.exe    /play");
    EXPECT_EQ("C:\\Program Files\\App\\app.exe", blanks.program) << "trailing blanks are removed";
    EXPECT_EQ("/play", blanks.arguments);

    auto quoted_argument = split("C:\\a\\b.exe \"%1\"");
    EXPECT_EQ("C:\\a\\b.exe", quoted_argument.program);
    EXPECT_EQ("\"%1\"", quoted_argument.arguments) << "argument quotes are kept";
}

TEST(ParseShellCommand, BackslashFieldsJoinTheProgram)
{
    auto notepad = split("notepad.exe C:\\a.txt");
    EXPECT_EQ("notepad.exe C:\\a.txt", notepad.program);
    EXPECT_EQ("", notepad.arguments);

    auto single = split("app.exe");
    EXPECT_EQ("app.exe", single.program);
    EXPECT_EQ("", single.arguments);

    auto empty = split("");
    EXPECT_EQ("", empty.program);
    EXPECT_EQ("", empty.arguments);
}

TEST(ParseShellCommand, LongCommandsAreCutNotOverflowed)
{
    const std::string path = "C:\\" + std::string(400, 'p') + "\\x y\\app.exe";
    const std::string command = path + " " + std::string(600, 'a');
    char program[kShellFieldSize + 8], arguments[kShellFieldSize + 8];
    std::memset(program, '#', sizeof program);
    std::memset(arguments, '#', sizeof arguments);
    parse_shell_command(command.c_str(), program, kShellFieldSize, arguments, kShellFieldSize);
    EXPECT_EQ(kShellFieldSize - 1, std::strlen(program));
    EXPECT_EQ(kShellFieldSize - 1, std::strlen(arguments));
    EXPECT_EQ('#', program[kShellFieldSize]);
    EXPECT_EQ('#', arguments[kShellFieldSize]);
    parse_shell_command(command.c_str(), nullptr, 0, nullptr, 0);
}

TEST(CopyText, TruncatesAndAlwaysTerminates)
{
    char buffer[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(3u, copy_text(buffer, sizeof buffer, "hello"));
    EXPECT_STREQ("hel", buffer);
    EXPECT_EQ(2u, copy_text(buffer, sizeof buffer, "hi"));
    EXPECT_STREQ("hi", buffer);
    EXPECT_EQ(0u, copy_text(buffer, 0, "hi"));
    EXPECT_STREQ("hi", buffer) << "capacity 0 writes nothing";
}
