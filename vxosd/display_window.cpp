#include "display_window.h"

#include "osd_module.h"
#include "osd_state.h"
#include "platform/desktop_seam.h"
#include "platform/version_language_seam.h"
#include "shape_cache.h"

namespace vx::osd {

OsdState& state()
{
    static OsdState s;
    return s;
}

UINT duration_ms()
{
    const int d = state().settings.duration;
    return d > 0 ? static_cast<UINT>(d) : USER_TIMER_MINIMUM;
}

void debug_string(const char* text) { platform::os().OutputDebugStringA(text); }

namespace {

LRESULT CALLBACK display_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_DISPLAYCHANGE) {
        // The window covers the old screen size: it and the background close
        // now, and the next show makes both for the new size. Closed at once
        // rather than by a posted WM_CLOSE, which a show handled before it
        // would put up in the old window just before it went.
        OsdState& s = state();
        if (s.background && IsWindow(s.background))
            DestroyWindow(s.background);
        // The background's width starts afresh too, even when the message
        // reached only this window.
        s.widest_background = 0;
        kill_hide_timer();
        s.display_showing = false;
        forget_display_region();
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_MOUSEACTIVATE)
        return kClickActivation;
    // Fonts were added or removed: a text may now be drawn otherwise.
    if (message == WM_FONTCHANGE)
        clear_shape_cache();
    return DefWindowProcA(window, message, wparam, lparam);
}

void CALLBACK hide_timer_proc(HWND window, UINT, UINT_PTR id, DWORD)
{
    OsdState& s = state();
    KillTimer(window, id);
    s.hide_timer_running = false;
    if (s.keep_showing)
        return;
    hide_display_and_background();
    s.display_showing = false;
    debug_string("OSD is hidden\n");
}

} // namespace

void register_display_class()
{
    OsdState& s = state();
    if (s.display_class_registered)
        return;
    if (!s.brush) {
        s.brush = CreateSolidBrush(s.settings.color);
        s.brush_color = s.settings.color;
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = display_proc;
    wc.hInstance = this_module();
    wc.hbrBackground = s.brush;
    wc.lpszClassName = kDisplayClass;
    if (RegisterClassA(&wc)) {
        s.display_class_registered = true;
    } else if (GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
        // This module registered the class before and it was never
        // unregistered (OSD_Destroy could not, or the module's record was
        // reset); it is ours, and a new window takes the current brush
        // through SetClassLongPtr when it is created.
        s.display_class_registered = true;
    }
}

void unregister_display_class()
{
    OsdState& s = state();
    if (s.display_class_registered && UnregisterClassA(kDisplayClass, this_module())) {
        s.display_class_registered = false;
        s.brush = nullptr;
    } else if (!s.display_class_registered && s.brush) {
        // Made for a registration that failed: no class holds it.
        DeleteObject(s.brush);
        s.brush = nullptr;
    }
}

LONG_PTR install_color_brush(HWND display)
{
    OsdState& s = state();
    HBRUSH brush = CreateSolidBrush(s.settings.color);
    if (!brush)
        return 0;
    const LONG_PTR previous = SetClassLongPtrA(display, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(brush));
    // Only the brush this module made is deleted: the class may still hold a
    // brush that is already gone, and its handle value may belong to someone
    // else by now.
    if (s.brush && s.brush != brush)
        DeleteObject(s.brush);
    s.brush = brush;
    s.brush_color = s.settings.color;
    if (IsWindowVisible(display))
        InvalidateRect(display, nullptr, TRUE);
    return previous;
}

HWND ensure_display_window()
{
    OsdState& s = state();
    if (s.display && IsWindow(s.display))
        return s.display;
    register_display_class();
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    s.display = CreateWindowExA(WS_EX_TOOLWINDOW, kDisplayClass, kDisplayTitle, WS_POPUP, 0, 0, screen.right,
                                screen.bottom, nullptr, nullptr, this_module(), nullptr);
    if (s.display) {
        forget_display_region();
        // No window of this module heard of fonts added or removed while
        // there was none: the shapes kept from before may be drawn otherwise.
        clear_shape_cache();
        s.display_rect = screen;
        s.display_ever_created = true;
        // The class may hold an older brush (registered by this module
        // before), or the colour changed while no window could take it: the
        // window shows the current colour.
        if (s.brush_color != s.settings.color || !s.brush)
            install_color_brush(s.display);
        else
            SetClassLongPtrA(s.display, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(s.brush));
        s.hide_timer_running = false;
        s.display_showing = false;
    }
    return s.display;
}

void kill_hide_timer()
{
    OsdState& s = state();
    if (s.hide_timer_running && s.display)
        KillTimer(s.display, kHideTimer);
    s.hide_timer_running = false;
}

void arm_hide_timer()
{
    OsdState& s = state();
    if (!s.display)
        return;
    if (SetTimer(s.display, kHideTimer, duration_ms(), hide_timer_proc))
        s.hide_timer_running = true;
}

void hide_display_and_background()
{
    OsdState& s = state();
    if (s.display && IsWindow(s.display))
        ShowWindow(s.display, SW_HIDE);
    if (s.background && IsWindow(s.background))
        ShowWindow(s.background, SW_HIDE);
}

bool install_region(HWND window, HRGN region)
{
    if (SetWindowRgn(window, region, TRUE))
        return true;
    DeleteObject(region);
    return false;
}

namespace {

// Whether the desktop is composed: the compositor then shows what lies
// below the pixels a window gives up without those windows repainting.
bool desktop_composed()
{
    BOOL composed = FALSE;
    return SUCCEEDED(platform::desktop().DwmIsCompositionEnabled(&composed)) && composed;
}

// Repaints what changes between the shape `before` and `after` of the
// visible display window (both window-relative).
void repaint_change(HWND display, HRGN before, HRGN after)
{
    HRGN change = CreateRectRgn(0, 0, 0, 0);
    if (!before || !change) {
        InvalidateRect(display, nullptr, TRUE);
    } else {
        if (CombineRgn(change, after, before, RGN_DIFF) > NULLREGION)
            InvalidateRgn(display, change, TRUE);
        // Without a compositor the screen keeps the old shape's pixels where
        // the window gives them up, as the region went in without a redraw:
        // the windows below repaint them. With one they would only erase and
        // repaint, in every process, what the compositor already shows.
        if (CombineRgn(change, before, after, RGN_DIFF) > NULLREGION && !desktop_composed()) {
            const RECT& at = state().display_rect;
            OffsetRgn(change, at.left, at.top);
            RedrawWindow(GetDesktopWindow(), nullptr, change, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        }
    }
    if (change)
        DeleteObject(change);
    // Painted now, as SetWindowRgn with a redraw would have.
    UpdateWindow(display);
}

HRGN copy_region(HRGN region)
{
    HRGN copy = CreateRectRgn(0, 0, 0, 0);
    if (copy && CombineRgn(copy, region, nullptr, RGN_COPY) == ERROR) {
        DeleteObject(copy);
        copy = nullptr;
    }
    return copy;
}

} // namespace

// SetWindowRgn with a redraw repaints the whole new shape and, in Wine,
// fetches the window's many-rectangle region back several times (each one
// costing time quadratic in its rectangles); a show mostly changes a few
// pixels of a shape that is already painted.
bool set_display_region(HRGN region)
{
    OsdState& s = state();
    HWND display = s.display;
    if (s.display_region && EqualRgn(region, s.display_region)) {
        DeleteObject(region);
        return true;
    }
    HRGN kept = copy_region(region);
    const bool visible = IsWindowVisible(display) != FALSE;
    if (!SetWindowRgn(display, region, kept ? FALSE : TRUE)) {
        DeleteObject(region);
        if (kept)
            DeleteObject(kept);
        return false;
    }
    if (visible && kept)
        repaint_change(display, s.display_region, kept);
    forget_display_region();
    s.display_region = kept;
    return true;
}

void forget_display_region()
{
    OsdState& s = state();
    if (s.display_region)
        DeleteObject(s.display_region);
    s.display_region = nullptr;
}

void show_nothing()
{
    OsdState& s = state();
    if (s.display_showing) {
        hide_display_and_background();
        s.display_showing = false;
    }
}

void show_topmost(HWND window, HWND insert_after)
{
    SetWindowPos(window, insert_after, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
}

bool display_is_first()
{
    HWND display = state().display;
    return IsWindowVisible(display) && (GetWindowLongPtrA(display, GWL_EXSTYLE) & WS_EX_TOPMOST) &&
           GetWindow(display, GW_HWNDFIRST) == display;
}

void raise_display()
{
    if (!display_is_first())
        show_topmost(state().display);
}

} // namespace vx::osd
