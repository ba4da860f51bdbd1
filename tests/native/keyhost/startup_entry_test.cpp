#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/startup_entry.h"

namespace {

using keyhost::run_command_program;

TEST(StartupEntry, RunCommandNamesTheProgramWithOrWithoutQuotes)
{
    EXPECT_EQ(L"C:\\Program Files\\VX\\keyhost.exe", run_command_program(L"  \"C:\\Program Files\\VX\\keyhost.exe\" --x"));
    EXPECT_EQ(L"C:\\Program Files\\VX\\keyhost.EXE", run_command_program(L"C:\\Program Files\\VX\\keyhost.EXE --tray"));
    EXPECT_EQ(L"C:\\a.exe.d\\k.exe", run_command_program(L"C:\\a.exe.d\\k.exe"));
    EXPECT_EQ(L"keyhost", run_command_program(L"keyhost /min"));
    EXPECT_EQ(L"C:\\unterminated", run_command_program(L"\"C:\\unterminated"));
    EXPECT_EQ(L"", run_command_program(L"   "));
}

TEST(StartupEntry, OnlyAnOddFirstByteMeansSwitchedOff)
{
    using V = std::vector<std::uint8_t>;
    EXPECT_TRUE(keyhost::startup_approved(V{}));
    EXPECT_TRUE(keyhost::startup_approved(V{0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(keyhost::startup_approved(V{0x06, 0, 0, 0}));
    EXPECT_FALSE(keyhost::startup_approved(V{0x03, 0, 0, 0, 0x17, 0x79, 0xBD, 0x01, 0x17, 0xD9, 0xD1, 0x01}));
    EXPECT_FALSE(keyhost::startup_approved(V{0x07}));
}

} // namespace
