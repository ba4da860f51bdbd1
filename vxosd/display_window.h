// The display window: a screen-sized, region-shaped pop-up whose class brush
// paints every display in the OSD colour, and its hide timer.
#pragma once
#include <windows.h>

namespace vx::osd {

inline constexpr char kDisplayClass[] = "VX_OSD_WNDCLASS";
inline constexpr char kDisplayTitle[] = "VX_OSD_WND";
inline constexpr char kBackgroundClass[] = "VX_OSD_BKGND_WNDCLASS";
inline constexpr char kBackgroundTitle[] = "VX_OSD_BKGND_WND";
inline constexpr UINT_PTR kHideTimer = 0;

// Registers the class (with the current colour's brush) once.
void register_display_class();
// Unregisters it; the system deletes its brush, the colour brush, with it.
void unregister_display_class();
// Creates the hidden display window if it is not a window (any more), and
// forgets the kept shapes then; returns it, or null when it cannot be
// created.
HWND ensure_display_window();
// Installs a new brush of the settings' colour as the class background of
// the existing display window and deletes the one it replaces. Returns the
// replaced brush as SetClassLongPtr gives it.
LONG_PTR install_color_brush(HWND display);

// What a click on a display window answers: it never takes the focus from
// the user's program.
inline constexpr LRESULT kClickActivation = MA_NOACTIVATE;

// SetWindowRgn that frees the region when the window does not take it.
bool install_region(HWND window, HRGN region);
// Gives the display window its new shape (taking `region`) and paints what
// changed: the pixels the new shape adds are filled with the class brush
// before it returns, and, on a desktop without composition, the windows
// below repaint what it gives up. The
// pixels both shapes share are not painted again, and an unchanged shape is
// not installed again. False when the window does not take the region.
bool set_display_region(HRGN region);
// Forgets the display window's shape (the window is new or gone).
void forget_display_region();
// A show that could not make or install its region: nothing is shown, and
// what was showing goes.
void show_nothing();

// Hide timer of the display window.
void kill_hide_timer();
void arm_hide_timer();

// Hides the display and background windows that exist.
void hide_display_and_background();

// SetWindowPos(HWND_TOPMOST) showing without activation, size and place kept.
void show_topmost(HWND window, HWND insert_after = HWND_TOPMOST);
// show_topmost for the display window, left out when the display is up and
// already the first of all windows: the call would change nothing.
void raise_display();
// Whether the display is up, topmost and above every other window.
bool display_is_first();

// Writes one of the display's debug strings.
void debug_string(const char* text);

} // namespace vx::osd
