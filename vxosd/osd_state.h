// Module-wide state of the on-screen display: one copy per process, used
// from the host's window thread only.
#pragma once
#include <windows.h>

namespace vx::osd {

inline constexpr COLORREF kDefaultColor = 65280; // green
inline constexpr int kDefaultDuration = 2000;    // milliseconds

// "Monitor": where the displays go.
enum MonitorChoice { kPrimaryMonitor = 0, kForegroundMonitor = 1, kPointerMonitor = 2 };

struct Settings {
    int enabled = 1;
    COLORREF color = kDefaultColor;
    int duration = kDefaultDuration;
    LOGFONTA font{};
    int saved_height = 0;    // written as "Height"
    int font_dpi = 96;       // the DPI the font's pixel sizes are for (the system's)
    bool user_changed = false;
    // Opt-in behaviour; 0 is the display as it always was.
    int monitor = kPrimaryMonitor; // "Monitor"
    bool full_screen = false;      // "FullScreen": no picture over full-screen programs
    bool announce = false;         // "Announce": tell assistive technology what is shown
};

enum IndicatorKind { kNumLock, kCapsLock, kScrollLock, kMicrophone, kIndicatorCount };

struct Indicator {
    HWND window = nullptr;
    HDC memory_dc = nullptr;
    HBITMAP on = nullptr;
    HBITMAP off = nullptr;
    HGDIOBJ original = nullptr; // what the memory DC held before the first selection
    bool state = false;
    RECT monitor{};   // the monitor it was placed on with a "Monitor" choice
    POINT corner{};   // the bottom-left corner the caller asked for, relative to the monitor
};

struct OsdState {
    Settings settings;
    HWND display = nullptr;
    RECT display_rect{};          // where the display window covers the screen
    HRGN display_region = nullptr; // a copy of the display window's region: a show repaints what changes
    HBRUSH brush = nullptr;       // the one live colour brush, the display class's
    COLORREF brush_color = 0;     // its colour
    bool display_class_registered = false;
    bool display_ever_created = false;
    bool hide_timer_running = false;
    bool keep_showing = false;
    bool display_showing = false;

    COLORREF background_color = 0;
    bool background_enabled = false;
    HWND background = nullptr;
    bool background_ever_created = false;
    int widest_background = 0;
    RECT background_monitor{};    // the monitor it was made for

    unsigned show_string_calls = 0;
    Indicator indicators[kIndicatorCount];
};

OsdState& state();

// The settings' duration as a timer period (a stored negative duration would
// otherwise become a period of weeks).
UINT duration_ms();

} // namespace vx::osd
