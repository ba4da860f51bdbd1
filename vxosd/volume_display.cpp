// The volume displays: classic separate bars, and the framed bar with its
// count; and the rounded background window behind them.
#include <windows.h>

#include <cstdio>

#include "announcement.h"
#include "core/text_layout.h"
#include "core/volume_layout.h"
#include "display_placement.h"
#include "display_window.h"
#include "indicators.h"
#include "osd_module.h"
#include "osd_state.h"
#include "platform/version_language_seam.h"
#include "region_shaping.h"
#include "settings.h"
#include "shape_cache.h"
#include "show_path.h"
#include "volume_display.h"
#include "vxosd.h"

namespace vx::osd {
namespace {

constexpr int kClassicIcon = 101;
constexpr int kFramedIcons[] = {116, 113, 112, 111};
constexpr int kMutedType = 1;
// The undefined type has no picture; it is placed as if it had type 0's.
constexpr int kPlacementIcon = 116;

LRESULT CALLBACK background_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(window, &ps);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_DISPLAYCHANGE:
        state().widest_background = 0;
        return 0;
    case WM_MOUSEACTIVATE:
        return kClickActivation;
    case WM_DESTROY:
        if (state().background == window)
            state().background = nullptr;
        return 0;
    default:
        return DefWindowProcA(window, message, wparam, lparam);
    }
}

int margin(const ScreenArea& screen) { return background_margin(screen.cx, screen.dpi); }

void register_background_class()
{
    // The first registration in the process stays, and with it the first
    // background colour; a brush made for a later one would never be used.
    WNDCLASSA existing{};
    if (GetClassInfoA(this_module(), kBackgroundClass, &existing))
        return;
    WNDCLASSA wc{};
    wc.lpfnWndProc = background_proc;
    wc.hInstance = this_module();
    wc.hbrBackground = CreateSolidBrush(state().background_color);
    wc.lpszClassName = kBackgroundClass;
    if (!RegisterClassA(&wc) && wc.hbrBackground)
        DeleteObject(wc.hbrBackground);
}

bool background_exists() { return state().background && IsWindow(state().background); }

// `box` is the display's region box, in the display window's (the
// monitor's) coordinates.
void create_background(const RECT& box, const ScreenArea& screen)
{
    OsdState& s = state();
    const int m = margin(screen);
    register_background_class();
    const int width = box.right - box.left + 2 * m;
    const int height = box.bottom - box.top + 2 * m;
    s.background = CreateWindowExA(WS_EX_TOOLWINDOW, kBackgroundClass, kBackgroundTitle, WS_POPUP,
                                   screen.monitor.left + box.left - m, screen.monitor.top + box.top - m, width,
                                   height, nullptr, nullptr, this_module(), nullptr);
    if (!s.background)
        return;
    s.background_monitor = screen.monitor;
    s.background_ever_created = true;
    // The width it is made with is the widest so far: a narrower count
    // shown next must not shrink it.
    s.widest_background = box.right - box.left;
    ShowWindow(s.background, SW_SHOWNOACTIVATE);
    UpdateWindow(s.background);
    if (HRGN round = CreateRoundRectRgn(0, 0, width, height, m, m))
        install_region(s.background, round);
}

void resize_background(RECT box, const ScreenArea& screen)
{
    OsdState& s = state();
    const int m = margin(screen);
    const int width = box.right - box.left;
    if (width > s.widest_background)
        s.widest_background = width;
    else
        box.right = box.left + s.widest_background;
    const RECT target{screen.monitor.left + box.left - m, screen.monitor.top + box.top - m,
                      screen.monitor.left + box.right + m, screen.monitor.top + box.bottom + m};
    // Every volume step shows the same frame again: moving the background to
    // where it is and restacking it would cost round trips to the window
    // system on each step, so it stays while it is up, right behind the
    // display, and the display is above every other window.
    RECT now{};
    if (IsWindowVisible(s.background) && GetWindowRect(s.background, &now) && same_rect(now, target) &&
        display_is_first() && GetWindow(s.display, GW_HWNDNEXT) == s.background)
        return;
    SetWindowPos(s.background, HWND_TOPMOST, target.left, target.top, target.right - target.left,
                 target.bottom - target.top, SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

// A background made for another monitor goes; the show makes one for this.
void drop_background_of_other_monitor(const ScreenArea& screen)
{
    OsdState& s = state();
    if (background_exists() && !same_rect(s.background_monitor, screen.monitor))
        DestroyWindow(s.background);
}

// The framed display's count, drawn in the settings' font and scanned in a
// band two digits wide at the right end of (0, 0, right, bottom).
HRGN shape_from_number(const char* text, int right, int bottom, const ScreenArea& screen)
{
    const LOGFONTA font = font_for_dpi(screen.dpi.value());
    const SIZE digits = text_extent(font, "00");
    const NumberLayout layout = layout_number(right, bottom, digits.cx, digits.cy, screen.cx, screen.dpi);
    return text_shape(font, text, layout.draw, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT, layout.bitmap_width, layout.band);
}

// The volume shows' background: with a background colour set, a rounded
// window behind the display's region box. `fit` moves an existing one to
// the box (never narrower than it was); otherwise an existing one stays as
// it was made.
void put_up_background(const ScreenArea& screen, bool fit)
{
    OsdState& s = state();
    if (!s.background_enabled)
        return;
    RECT box{};
    GetWindowRgnBox(s.display, &box);
    drop_background_of_other_monitor(screen);
    if (!background_exists()) {
        create_background(box, screen);
        // Raised above everything first; the display then goes above it.
        // Inserted right behind the display instead, the background ends up
        // over it on the screen under X11, which stacks a newly shown window
        // on top whatever its place in the z-order says.
        if (background_exists())
            show_topmost(s.background);
    } else if (fit) {
        resize_background(box, screen);
    } else {
        show_topmost(s.background);
    }
}

// The classic separate bars with the speaker icon.
class ClassicVolumeShow : public DisplayShow {
public:
    ClassicVolumeShow(unsigned level, unsigned steps, unsigned maximum)
        : level_(level), steps_(steps), maximum_(maximum)
    {
        timer_while_kept_ = true;
    }

private:
    HRGN shape(const ScreenArea& screen) override
    {
        SIZE icon{};
        const bool has_icon = picture_size(kClassicIcon, icon);
        ClassicVolumeInput in;
        in.cx = screen.cx;
        in.cy = screen.cy;
        in.vista = platform::os().IsWinVista() != 0;
        in.level = level_;
        in.steps = steps_;
        in.maximum = maximum_;
        in.icon_width = icon.cx;
        in.icon_height = icon.cy;
        in.dpi = screen.dpi;
        const VolumeShape shape = classic_volume(in);
        HRGN region = region_from_rects(shape.rects);
        if (has_icon)
            add_region(region, picture_shape(kClassicIcon, shape.icon, Inside::Black));
        return region;
    }
    void background(const ScreenArea& screen) override { put_up_background(screen, false); }
    std::u16string announcement() const override { return volume_announcement(level_, maximum_, false); }
    Timing announcement_timing() const override { return Timing::WhenSettled; }

    unsigned level_, steps_, maximum_;
};

// The framed bar with its count and the icon of its type; it takes the
// place of the indicators.
class FramedVolumeShow : public DisplayShow {
public:
    FramedVolumeShow(unsigned level, unsigned steps, unsigned maximum, int type)
        : level_(level), steps_(steps), maximum_(maximum), type_(type)
    {
        timer_while_kept_ = true;
    }

private:
    HRGN shape(const ScreenArea& screen) override
    {
        const bool known = type_ >= 0 && type_ < 4;
        if (!known)
            debug_string("Vxosd: undefined volume state");
        const int icon_id = known ? kFramedIcons[type_] : kPlacementIcon;
        SIZE icon{};
        const bool has_icon = picture_size(icon_id, icon);

        FramedVolumeInput in;
        in.cx = screen.cx;
        in.cy = screen.cy;
        in.work_bottom = work_area_bottom(screen);
        in.xp = platform::os().IsWinXP() != 0;
        in.level = level_;
        in.steps = steps_;
        in.maximum = maximum_;
        in.icon_width = icon.cx;
        in.icon_height = icon.cy;
        in.dpi = screen.dpi;
        const VolumeShape shape = framed_volume(in);

        HRGN region = region_from_rects(shape.rects);
        // The framed layout's icon keeps the picture's own size in logical
        // units: scaled for the DPI only, never to the screen.
        if (has_icon && known && region)
            add_region(region, picture_shape(icon_id, shape.icon, Inside::White));
        char count[16];
        std::snprintf(count, sizeof count, "%u", shape.lit);
        if (region)
            add_region(region, shape_from_number(count, shape.number_box.right, shape.number_box.bottom, screen));
        return region;
    }
    void background(const ScreenArea& screen) override
    {
        put_up_background(screen, true);
        hide_indicators();
    }
    std::u16string announcement() const override
    {
        return volume_announcement(level_, maximum_, type_ == kMutedType);
    }
    // A mute key is said at once; a level once a held key's steps settle.
    Timing announcement_timing() const override
    {
        return type_ == kMutedType ? Timing::Now : Timing::WhenSettled;
    }

    unsigned level_, steps_, maximum_;
    int type_;
};

} // namespace

void unregister_background_class() { UnregisterClassA(kBackgroundClass, this_module()); }

int show_volume(unsigned level, unsigned steps, unsigned maximum)
{
    ClassicVolumeShow show(level, steps, maximum);
    return run_show(show);
}

int show_volume_ex(unsigned level, unsigned steps, unsigned maximum, int type)
{
    FramedVolumeShow show(level, steps, maximum, type);
    return run_show(show);
}

} // namespace vx::osd

extern "C" int WINAPI OSD_ShowVolume(unsigned level, unsigned steps, unsigned maximum)
{
    return vx::osd::show_volume(level, steps, maximum);
}

extern "C" int WINAPI OSD_ShowVolumeEx(unsigned level, unsigned steps, unsigned maximum, int type)
{
    return vx::osd::show_volume_ex(level, steps, maximum, type);
}
