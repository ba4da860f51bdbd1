// The configuration record of this process, the operating-system tests
// that fill its flags, and the program's own strings.
#pragma once
#include <windows.h>

#include <string>

#include "core/fixed_text.h"
#include "core/setup_record.h"

namespace vx::setup {

SetupConfig& config();
// Back to the zero-filled record of a new process (tests).
void reset_config();

// Operating-system tests, through the version seam.
bool is_nt_family();
bool is_win9x_family();
bool is_win98_or_later();
bool is_win_me();
bool is_nt5_or_later();
bool is_64bit_windows();

// Step 1 of start-up: the OS flags in their fixed order.
void evaluate_os_flags(SetupConfig& record);

// The process's own string table (one language).
std::string load_setup_string(UINT id);
inline constexpr UINT kStringWarningCaption = 16;
inline constexpr UINT kStringUnsupportedSystem = 17;
inline constexpr UINT kStringTitleSuffix = 18;
inline constexpr UINT kStringPathTooLong = 19;
inline constexpr UINT kStringNotStarted = 20;

} // namespace vx::setup
