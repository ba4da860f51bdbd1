// The hidden main window of setup: its start message runs the registry-file
// step and the chained keyboard installer; message 7213 starts the second
// chained program. It also paints the title band when shown.
#pragma once
#include <windows.h>

#include <string>

namespace vx::setup {

inline constexpr char kMainWindowClass[] = "FullSetupClass";
inline constexpr char kHelperWindowClass[] = "FullSetupHelperClass";
inline constexpr UINT WM_SETUP_START = WM_APP + 100;
inline constexpr UINT WM_SETUP_CHAIN = 7213;
inline constexpr char kRegistryHelperName[] = "Zondrel.exe";
inline constexpr char kJapaneseLocale[] = "00000411";
inline constexpr COLORREF kBandColour = RGB(0, 128, 128);
inline constexpr char kTitleFace[] = "Times New Roman";

struct MainWindowState {
    bool japanese_font;
    LOGFONTA caption_font;
    bool logo_present;
    HBITMAP logo;
    HPALETTE palette;
    int logo_width;
    int logo_height;
    int logo_x;
    // The quit code once the start message has ended; a later WM_DESTROY
    // repeats it instead of replacing it with 0.
    bool finished;
    DWORD exit_code;
    // The run stopped on a failure: no program is started any more.
    bool failed;
};

MainWindowState& main_window_state();
void reset_main_window_state();

// The class of this role's window: FullSetupClass, or the registry helper's own.
const char* main_window_class();
ATOM register_main_window(HINSTANCE instance);
// Created with the work-area size, not yet hidden.
HWND create_main_window(HINSTANCE instance);
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Runs the message loop to WM_QUIT and returns its wParam.
int run_message_loop();

// The user's locale text as WM_CREATE reads it ("00000409" by default).
std::string user_locale(bool nt_family);

// Command lines of the chained programs, as the window starts them.
std::string registry_helper_command();
std::string installer_command();
std::string second_program_command();

// Draws the title band into dc: fills fill with the band colour, draws the
// logo and the (broken) title for a client area whose right edge is
// right_edge. False when the brush or the font could not be made.
bool paint_title_band(HDC dc, const RECT& fill, int right_edge);

} // namespace vx::setup
