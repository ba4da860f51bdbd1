// Desktop family: which window is in the foreground, and whether the desktop
// is composed. Wine has no compositor, and the foreground window is shared
// by every test program on the Wine desktop, so tests play a full-screen
// program on one monitor and a composed desktop through this struct.
#pragma once
#include <windows.h>

namespace vx::osd::platform {

struct DesktopSeam {
    HWND(WINAPI* GetForegroundWindow)();
    // DwmIsCompositionEnabled where dwmapi has it (Vista and later);
    // E_NOTIMPL elsewhere.
    HRESULT(WINAPI* DwmIsCompositionEnabled)(BOOL*);
};

DesktopSeam& desktop();

} // namespace vx::osd::platform
