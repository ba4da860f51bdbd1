// Text drawn in the OSD colour straight onto the screen: OSD_ShowString and
// the mute display (text with a loudspeaker).
#include <windows.h>

#include "announcement.h"
#include "core/text_layout.h"
#include "display_placement.h"
#include "display_window.h"
#include "osd_state.h"
#include "region_shaping.h"
#include "settings.h"
#include "shape_cache.h"
#include "string_table.h"
#include "text_display.h"
#include "vxosd.h"

namespace vx::osd {
namespace {

Rect to_rect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

bool put_up_text(HRGN region)
{
    OsdState& s = state();
    if (s.display_showing) {
        // The previous display goes: the new region replaces it in place, so
        // the window itself is not hidden and shown again (that costs a
        // repaint of everything below it and flickers); a volume display's
        // background has no place behind text.
        if (s.background && IsWindow(s.background))
            ShowWindow(s.background, SW_HIDE);
        s.display_showing = false;
    }
    kill_hide_timer();
    if (!set_display_region(region)) {
        hide_display_and_background();
        return false;
    }
    raise_display();
    if (!s.keep_showing)
        arm_hide_timer();
    s.display_showing = true;
    return true;
}

} // namespace

bool show_text(const ScreenArea& screen, const char* text, RECT* rect, UINT format, int icon_id)
{
    OsdState& s = state();
    if (!s.settings.enabled)
        return false;
    if (left_out_for_full_screen())
        return true;
    HWND display = ensure_display_window();
    if (!display)
        return false;
    place_display(display, screen);
    const char* shown = text ? text : "";

    Rect r;
    if (rect) {
        r = rescale_caller_rect(to_rect(*rect), screen.cx, screen.cy, screen.dpi);
        rect->right = r.right;
        rect->bottom = r.bottom;
    } else if (s.settings.monitor == kPrimaryMonitor) {
        RECT desktop{};
        GetClientRect(GetDesktopWindow(), &desktop);
        r = to_rect(desktop);
    } else {
        r = Rect{0, 0, screen.cx, screen.cy};
    }
    const LOGFONTA font = font_for_dpi(screen.dpi.value());
    const SIZE extent = text_extent(font, shown);
    TextLayoutInput in;
    in.rect = r;
    in.cx = screen.cx;
    in.cy = screen.cy;
    in.text_width = extent.cx;
    in.text_height = extent.cy;
    in.format = format;
    in.dpi = screen.dpi;
    SIZE icon{};
    if (icon_id && picture_size(icon_id, icon)) {
        in.has_icon = true;
        in.bitmap_width = icon.cx;
        in.bitmap_height = icon.cy;
    }
    const TextLayout layout = layout_text(in);
    HRGN region = in.has_icon ? picture_shape(icon_id, layout.icon, Inside::Black) : nullptr;
    // Without its text surface the display would show the icon alone, or
    // nothing while reporting success.
    HRGN text_region = text_shape(font, shown, layout.draw, layout.format, layout.bitmap_width, layout.band);
    if (!text_region) {
        if (region)
            DeleteObject(region);
        show_nothing();
        return false;
    }
    add_region(region, text_region);
    return put_up_text(region);
}

} // namespace vx::osd

using namespace vx::osd;

extern "C" void WINAPI OSD_ShowString(const char* text, RECT* rect, UINT format)
{
    OsdState& s = state();
    ++s.show_string_calls;
    // From the seventh call on a string still showing is not replaced.
    if (s.show_string_calls > 6 && s.display && IsWindowVisible(s.display)) {
        debug_string("OSD is showing\n");
        return;
    }
    if (s.settings.enabled && show_text(choose_screen(), text, rect, format, 0))
        announce_text(text);
}

extern "C" int WINAPI OSD_ShowMuteIcon(int muted)
{
    if (!state().settings.enabled)
        return 0;
    const UINT id = muted ? kMuteOnString : kMuteOffString;
    char text[MAX_PATH];
    load_string(id, text, sizeof text);
    const ScreenArea screen = choose_screen();
    RECT rect{0, 0, screen.cx - screen.dpi.px(40), screen.cy - screen.dpi.px(40)};
    if (!show_text(screen, text, &rect, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT, muted ? 102 : 101))
        return 0;
    announce_string(id);
    return 1;
}
