// Dialog family: message boxes wait for a person and beeps make noise, so
// tests replace them.
#pragma once
#include <windows.h>

namespace vx::platform {

struct DialogSeam {
    int(WINAPI* MessageBoxA)(HWND, LPCSTR, LPCSTR, UINT);
    BOOL(WINAPI* MessageBeep)(UINT);
};

DialogSeam& dialogs();

} // namespace vx::platform
