// Reading the two registry values that decide whether Windows starts a
// program at logon: the Run value's command and the Startup apps switch
// (the binary value of the same name under Explorer\StartupApproved\Run).
#pragma once
#include <cstdint>
#include <span>
#include <string_view>

namespace keyhost {

// The program a Run command starts: the text in the leading quotes, or, for
// an unquoted command, everything up to the blank after ".exe" (up to the
// first blank when there is no ".exe"). Surrounding blanks are ignored.
std::wstring_view run_command_program(std::wstring_view command);

// Whether the Startup apps switch lets Windows start the entry. Task Manager
// and Settings write 12 bytes whose first byte is even when the entry is
// enabled (02, 06) and odd when the user disabled it (03, 07; the rest is
// the time of the change). No value at all means enabled.
bool startup_approved(std::span<const std::uint8_t> value);

// The value that marks an entry enabled, as Windows writes it.
inline constexpr std::uint8_t kStartupEnabled[12] = {0x02};

} // namespace keyhost
