// Input injection family: tests check the sequence of synthesized keys
// instead of typing into whatever window has the focus.
#pragma once
#include <windows.h>

namespace vx::platform {

struct InputSeam {
    UINT(WINAPI* SendInput)(UINT, LPINPUT, int);
    void(WINAPI* keybd_event)(BYTE, BYTE, DWORD, ULONG_PTR);
};

InputSeam& input();

} // namespace vx::platform
