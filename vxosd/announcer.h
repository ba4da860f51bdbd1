// Where announcements leave the library: a hidden window of their own that is
// top-most from its creation on, so that a screen reader that takes events
// from background applications only from top-most windows hears every one
// (also before the first show, while the display is re-created after a
// screen change, and while a full-screen program leaves the picture out).
// Each text is raised as an MSAA alert (EVENT_SYSTEM_ALERT, client object of
// role ROLE_SYSTEM_ALERT) and, where Windows has it, as a UI Automation
// notification from the same window.
#pragma once
#include <windows.h>

#include <cstddef>

namespace vx::osd {

inline constexpr char kAnnouncerClass[] = "VX_OSD_ANNOUNCE_WNDCLASS";
inline constexpr char kAnnouncerTitle[] = "VX_OSD_ANNOUNCE_WND";
// A text said when settled waits this long for the next one of its kind.
inline constexpr UINT kSettleMs = 300;

enum class Timing {
    Now,
    // Volume steps: the last of a run is said once no other has come for
    // kSettleMs, so a held key is read out once, when it is let go. A text
    // said Now first says the one still waiting.
    WhenSettled,
};

// Tells assistive technology `length` characters of `text`.
void say(const wchar_t* text, std::size_t length, Timing timing);

// The announcer window once something was said, else null.
HWND announcer_window();

// Drops what waits, disconnects every object handed out from its clients,
// closes the window, unregisters its class and lets go of the
// multithreaded apartment kept for answering (OSD_Destroy).
void destroy_announcer();

} // namespace vx::osd
