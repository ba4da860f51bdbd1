// OSD settings in the profile section "OSD" of VXUtil's profile store.
#pragma once
#include <windows.h>

namespace vx::osd {

inline constexpr char kSection[] = "OSD";

// The Windows languages the settings treat specially.
inline constexpr LANGID kRussian = 1049;
inline constexpr LANGID kTurkish = 1055;
inline constexpr BYTE kRussianCharSet = 204;
inline constexpr BYTE kTurkishCharSet = 162;
inline constexpr char kJapaneseLocale[] = "00000411";
inline constexpr char kEnglishLocale[] = "00000409";

// Opt-in values of the section; absent or 0 is the display as it always was.
inline constexpr char kMonitorValue[] = "Monitor";
inline constexpr char kFullScreenValue[] = "FullScreen";
inline constexpr char kAnnounceValue[] = "Announce";

// The user's locale string ("00000409" when it cannot be read).
void user_locale(char (&locale)[16]);

int load_settings();
void save_settings();
int select_font(HWND owner);
// The settings' font for a display laid out at `dpi`: its pixel sizes,
// made for the system DPI, scaled to that.
LOGFONTA font_for_dpi(int dpi);
int set_color(COLORREF color);
// 1 and the choice taken for 0, 1 or 2; 0 and nothing changed otherwise.
int set_monitor(int monitor);
int destroy();

} // namespace vx::osd
