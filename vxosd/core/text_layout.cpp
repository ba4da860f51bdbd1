#include "core/text_layout.h"

#include <algorithm>

namespace vx::osd {

Rect rescale_caller_rect(const Rect& r, std::int32_t cx, std::int32_t cy, DpiScale dpi)
{
    cx = dpi.logical(cx);
    cy = dpi.logical(cy);
    const std::int32_t right = dpi.logical(r.right);
    const std::int32_t bottom = dpi.logical(r.bottom);
    Rect out = r;
    out.right = dpi.px(wrap32(cx - static_cast<std::int64_t>(cx - static_cast<std::int64_t>(right)) * cx / 1024));
    out.bottom = dpi.px(wrap32(cy - static_cast<std::int64_t>(cy - static_cast<std::int64_t>(bottom)) * cy / 768 - 20));
    return out;
}

namespace {

// The scanned band never leaves the drawing surface, whatever the measured
// text size: rows above the top or columns left of 0 do not exist there.
Rect clip_to_surface(Rect band, std::int32_t width, std::int32_t height)
{
    band.left = std::max<std::int32_t>(band.left, 0);
    band.top = std::max<std::int32_t>(band.top, 0);
    band.right = std::min(band.right, width);
    band.bottom = std::min(band.bottom, height);
    if (band.empty())
        return {};
    return band;
}

} // namespace

TextLayout layout_text(const TextLayoutInput& in)
{
    TextLayout out;
    const Rect& r = in.rect;
    const std::int32_t h = in.text_height;
    std::int32_t w = in.text_width;
    if (in.has_icon) {
        const std::int32_t iw = in.dpi.share(in.bitmap_width, in.cx, 1024);
        const std::int32_t ih = in.dpi.share(in.bitmap_height, in.cy, 768);
        const std::int32_t left = wrap32(static_cast<std::int64_t>(r.right) - iw);
        const std::int32_t top = wrap32(static_cast<std::int64_t>(r.bottom) - h + (h - ih) / 2);
        out.icon = {left, top, wrap32(static_cast<std::int64_t>(left) + iw), wrap32(static_cast<std::int64_t>(top) + ih)};
        out.icon_space = wrap32(static_cast<std::int64_t>(iw) + in.dpi.share(4, in.cx, 1024));
    }
    const std::int32_t margin = in.dpi.share(40, in.cx, 1024);
    out.format = in.format & ~kDtModifyString;
    if (w > static_cast<std::int64_t>(r.right) - margin) {
        w = wrap32(static_cast<std::int64_t>(r.right) - margin);
        out.format = kDtSingleLine | kDtBottom;
    }
    out.text_width = w;
    out.draw = {margin, 0, wrap32(static_cast<std::int64_t>(r.right) - out.icon_space), r.bottom};
    out.bitmap_width = r.right;
    out.bitmap_height = r.bottom;
    const Rect band{wrap32(static_cast<std::int64_t>(r.right) - w - out.icon_space),
                    wrap32(static_cast<std::int64_t>(r.bottom) - h), r.right, r.bottom};
    out.band = clip_to_surface(band, out.bitmap_width, out.bitmap_height);
    return out;
}

NumberLayout layout_number(std::int32_t right, std::int32_t bottom, std::int32_t digits_width,
                           std::int32_t digits_height, std::int32_t cx, DpiScale dpi)
{
    NumberLayout out;
    const std::int32_t r = right + digits_width;
    const std::int32_t margin = dpi.share(40, cx, 1024);
    std::int32_t w = digits_width;
    if (r - margin < w)
        w = r - margin;
    out.draw = {margin, 0, r, bottom};
    out.bitmap_width = r;
    out.bitmap_height = bottom;
    out.band = clip_to_surface({r - w, bottom - digits_height, r, bottom}, r, bottom);
    return out;
}

} // namespace vx::osd
