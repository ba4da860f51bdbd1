// The one configuration record of the setup process: OS flags, folders,
// script values and switch flags. Start-up and the script reader fill it;
// everything else only reads it.
#pragma once
#include <windows.h>

#include <string>

#include "core/fixed_text.h"

namespace vx::setup {

// What this build of the program does on its start message: the launcher
// (the x86 program) imports the registry files or hands them to the 64-bit
// helper and runs the installers; the registry helper (the x64 program,
// shipped as Zondrel.exe) goes through the same start-up (script, pre-run
// programs) and then only imports the registry files.
enum class Role { Launcher, RegistryHelper };

struct SetupConfig {
    char setup_folder[kTextCapacity];
    char script_path[kTextCapacity];
    char installation_folder[kTextCapacity];
    char title_suffix[kTextCapacity];
    // Handed on whole to the keyboard installer, so not cut to 259 characters.
    std::string command_line;

    int nt_family;
    int win9x_family;
    int win98_or_later;
    int win_me;
    int nt5_or_later;
    int win64;

    char product_name[kTextCapacity];
    char setup_title[kTextCapacity];
    char installer[kTextCapacity];      // x86kbd / x64kbd
    char second_program[kTextCapacity]; // x86mou / x64mou
    char logo_path[kTextCapacity];

    int hidden;
    int silent;
    int no_restart;

    Role role;
};

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

} // namespace vx::setup
