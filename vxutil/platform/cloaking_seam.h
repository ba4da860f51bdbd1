// Desktop composition family: whether the compositor hides a window that is
// otherwise visible (a suspended store app, a window on another virtual
// desktop). Wine has no compositor, so tests cloak windows here.
#pragma once
#include <windows.h>

namespace vx::platform {

struct DesktopSeam {
    // DwmGetWindowAttribute of dwmapi.dll, looked up when first called;
    // E_NOTIMPL where the system has none (before Windows Vista).
    HRESULT(WINAPI* DwmGetWindowAttribute)(HWND, DWORD, PVOID, DWORD);
};

DesktopSeam& desktop();

} // namespace vx::platform
