// Entry point of setup.exe. The role is fixed here by the build: after the
// common start-up the x64 program only imports the registry files; the x86
// program (and the x64 launcher test build) runs the whole installation.
#include <windows.h>

#include "startup.h"

#if defined(SETUP_LAUNCHER_ROLE) || !defined(_WIN64)
static constexpr vx::setup::Role kProgramRole = vx::setup::Role::Launcher;
#else
static constexpr vx::setup::Role kProgramRole = vx::setup::Role::RegistryHelper;
#endif

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int)
{
    return vx::setup::run_setup(instance, command_line, kProgramRole);
}
