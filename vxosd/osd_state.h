// Module-wide state of the on-screen display: one copy per process, used
// from the host's window thread only.
#pragma once
#include <windows.h>

namespace vx::osd {

inline constexpr COLORREF kDefaultColor = 65280; // green
inline constexpr int kDefaultDuration = 2000;    // milliseconds

struct Settings {
    int enabled = 1;
    COLORREF color = kDefaultColor;
    int duration = kDefaultDuration;
    LOGFONTA font{};
    int saved_height = 0;    // written as "Height"
    bool user_changed = false;
};

enum IndicatorKind { kNumLock, kCapsLock, kScrollLock, kMicrophone, kIndicatorCount };

struct Indicator {
    HWND window = nullptr;
    HDC memory_dc = nullptr;
    HBITMAP on = nullptr;
    HBITMAP off = nullptr;
    HGDIOBJ original = nullptr; // what the memory DC held before the first selection
    bool state = false;
};

struct OsdState {
    Settings settings;
    HWND display = nullptr;
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

    unsigned show_string_calls = 0;
    Indicator indicators[kIndicatorCount];
};

OsdState& state();

// The settings' duration as a timer period (a stored negative duration would
// otherwise become a period of weeks).
UINT duration_ms();

} // namespace vx::osd
