// Dialog family: message boxes wait for a person, so tests replace them.
#pragma once
#include <windows.h>

namespace vx::setup::platform {

struct DialogSeam {
    int(WINAPI* MessageBoxA)(HWND, LPCSTR, LPCSTR, UINT);
};

DialogSeam& dialogs();

} // namespace vx::setup::platform
