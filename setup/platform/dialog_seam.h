// Dialog family: message boxes wait for a person, so tests replace them.
#pragma once
#include <windows.h>

namespace vx::setup::platform {

struct DialogSeam {
    int(WINAPI* MessageBoxA)(HWND, LPCSTR, LPCSTR, UINT);
    // For texts that name a path the ANSI code page cannot hold.
    int(WINAPI* MessageBoxW)(HWND, LPCWSTR, LPCWSTR, UINT);
};

DialogSeam& dialogs();

} // namespace vx::setup::platform
