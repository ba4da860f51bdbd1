// The one configuration record of the setup process: OS flags, folders,
// script values and switch flags. Start-up and the script reader fill it;
// everything else only reads it. No Windows header.
#pragma once
#include <string>

#include "core/fixed_text.h"

namespace vx::setup {

// What this build of the program does on its start message: the launcher
// (the x86 program) imports the registry files or hands them to the 64-bit
// helper and runs the installers; the registry helper (the x64 program,
// shipped as Zondrel.exe) reads the same script and then only imports the
// registry files; it runs the pre-run programs only when it was not started
// by the launcher, which has run them already.
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

} // namespace vx::setup
