// Assistive-technology family: UI Automation's notification event exists on
// Windows 10 1709 and later only (Wine has none), and the process-wide
// multithreaded apartment count on Windows 8 and later only, so tests answer
// them through this struct. The MSAA alert used elsewhere runs for real.
#pragma once
#include <windows.h>

namespace vx::osd::platform {

struct AccessibilitySeam {
    // Raises a UI Automation notification with `text` from the element of
    // `window`; null where Windows has no notification event.
    HRESULT (*RaiseNotification)(HWND window, const wchar_t* text);
    // CoIncrementMTAUsage and CoDecrementMTAUsage; null where ole32 lacks
    // them (Windows 7 and earlier).
    HRESULT(WINAPI* IncrementMtaUsage)(void** cookie);
    HRESULT(WINAPI* DecrementMtaUsage)(void* cookie);
};

AccessibilitySeam& accessibility();

} // namespace vx::osd::platform
