// Version family: GetVersionExA and GetNativeSystemInfo, so that one test
// process can be every Windows version setup knows.
#pragma once
#include <windows.h>

namespace vx::setup::platform {

using NativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);

struct VersionSeam {
    BOOL(WINAPI* GetVersionExA)(LPOSVERSIONINFOA);
    // GetNativeSystemInfo looked up by name in kernel32; null where the
    // running Windows lacks it (before XP).
    NativeSystemInfoFn (*find_native_system_info)();
};

VersionSeam& version();

} // namespace vx::setup::platform
