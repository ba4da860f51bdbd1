// Text drawn in the OSD colour straight onto the screen: OSD_ShowString and
// the mute display (text with a loudspeaker).
#include <windows.h>

#include "announcement.h"
#include "core/text_layout.h"
#include "display_placement.h"
#include "display_window.h"
#include "osd_state.h"
#include "region_shaping.h"
#include "shape_cache.h"
#include "string_table.h"
#include "show_path.h"
#include "vxosd.h"

namespace vx::osd {
namespace {

Rect to_rect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// A text (with a bitmap at its right when `icon_id` is not 0) in the
// settings' font; the caller's rectangle, when given, is rewritten for the
// screen it goes to.
class TextShow : public DisplayShow {
public:
    TextShow(const char* text, RECT* rect, UINT format, int icon_id) : text_(text ? text : ""), rect_(rect),
                                                                      format_(format), icon_id_(icon_id)
    {
    }
    // The mute display: the caller's rectangle is the screen's bottom-right
    // corner, 40 pixels in, and the string of the table is told.
    UINT mute_string = 0;

private:
    HRGN shape(const ScreenArea& screen) override
    {
        OsdState& s = state();
        RECT corner{0, 0, screen.cx - 40, screen.cy - 40};
        RECT* rect = mute_string ? &corner : rect_;
        Rect r;
        if (rect) {
            r = rescale_caller_rect(to_rect(*rect), screen.cx, screen.cy);
            rect->right = r.right;
            rect->bottom = r.bottom;
        } else if (s.settings.monitor == kPrimaryMonitor) {
            RECT desktop{};
            GetClientRect(GetDesktopWindow(), &desktop);
            r = to_rect(desktop);
        } else {
            r = Rect{0, 0, screen.cx, screen.cy};
        }
        const SIZE extent = text_extent(s.settings.font, text_);
        TextLayoutInput in;
        in.rect = r;
        in.cx = screen.cx;
        in.cy = screen.cy;
        in.text_width = extent.cx;
        in.text_height = extent.cy;
        in.format = format_;
        SIZE icon{};
        if (icon_id_ && picture_size(icon_id_, icon)) {
            in.has_icon = true;
            in.bitmap_width = icon.cx;
            in.bitmap_height = icon.cy;
        }
        const TextLayout layout = layout_text(in);
        HRGN region = in.has_icon ? picture_shape(icon_id_, layout.icon, Inside::Black) : nullptr;
        // Without its text surface the display would show the icon alone, or
        // nothing while reporting success.
        HRGN text_region =
            text_shape(s.settings.font, text_, layout.draw, layout.format, layout.bitmap_width, layout.band);
        if (!text_region) {
            if (region)
                DeleteObject(region);
            return nullptr;
        }
        add_region(region, text_region);
        return region;
    }
    // A volume display's background has no place behind text.
    void background(const ScreenArea&) override
    {
        HWND background = state().background;
        if (background && IsWindow(background))
            ShowWindow(background, SW_HIDE);
    }
    std::u16string announcement() const override
    {
        return mute_string ? string_announcement(mute_string) : text_announcement(text_);
    }

    const char* text_;
    RECT* rect_;
    UINT format_;
    int icon_id_;
};

} // namespace

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
    TextShow show(text, rect, format, 0);
    run_show(show);
}

extern "C" int WINAPI OSD_ShowMuteIcon(int muted)
{
    const UINT id = muted ? kMuteOnString : kMuteOffString;
    char text[MAX_PATH];
    load_string(id, text, sizeof text);
    TextShow show(text, nullptr, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT, muted ? 102 : 101);
    show.mute_string = id;
    return run_show(show);
}
