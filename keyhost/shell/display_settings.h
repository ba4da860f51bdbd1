// The display settings keyhost turns on, as values of the profile section
// "OSD" that VXOSD reads with OSD_LoadSettings: "Monitor" 1 (the monitor of
// the active window; 0 primary, 2 under the pointer), "FullScreen" 1 (no
// display over a full-screen program) and "Announce" 1 (tell screen readers).
#pragma once

namespace keyhost {

inline constexpr char kMonitorSetting[] = "Monitor";
inline constexpr char kFullScreenSetting[] = "FullScreen";
inline constexpr char kAnnounceSetting[] = "Announce";

// Writes keyhost's value of each setting the profile does not hold yet
// (a value set by the user or the machine stays); call before OSD_Init.
void write_display_defaults();
int display_setting(const char* name);
// Stores the value and has VXOSD read its settings again.
void change_display_setting(const char* name, int value);

struct ScreenPoint {
    int x = 0;
    int y = 0;
};
// Where keyhost puts an indicator: `right` and `up` logical pixels from the
// bottom-left corner of the work area of the monitor the display goes to
// (the "Monitor" setting), scaled by that monitor's DPI, so the offsets keep
// their look at 150 or 200 % scaling.
ScreenPoint indicator_position(int right, int up);

} // namespace keyhost
