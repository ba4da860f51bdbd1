// Assistive-technology family: UI Automation's notification event exists on
// Windows 10 1709 and later only (Wine has none), so tests answer it through
// this struct. The MSAA alert used elsewhere runs for real.
#pragma once
#include <windows.h>

namespace vx::osd::platform {

struct AccessibilitySeam {
    // Raises a UI Automation notification with `text` from the element of
    // `window`; null where Windows has no notification event.
    HRESULT (*RaiseNotification)(HWND window, const wchar_t* text);
};

AccessibilitySeam& accessibility();

} // namespace vx::osd::platform
