#include "core/volume_layout.h"

#include <algorithm>
#include <utility>

namespace vx::osd {

std::uint32_t effective_steps(std::uint32_t steps)
{
    if (steps == 0)
        return 32;
    return std::min(steps, kMaxVolumeSteps);
}

bool segment_lit(std::uint32_t k, std::uint32_t level, std::uint32_t maximum, std::uint32_t divisor)
{
    const std::uint32_t step = maximum / (divisor ? divisor : 1);
    // k < divisor + 1, so k * step <= maximum + step: 64 bits hold it.
    return static_cast<std::uint64_t>(k) * step < level;
}

namespace {

// The layouts are computed in logical units; this draws them in pixels.
VolumeShape to_physical(VolumeShape shape, DpiScale dpi)
{
    shape.icon = dpi.px(shape.icon);
    for (Rect& r : shape.rects)
        r = dpi.px(r);
    shape.number_box = dpi.px(shape.number_box);
    return shape;
}

} // namespace

VolumeShape classic_volume(const ClassicVolumeInput& in)
{
    const std::int32_t cx = in.dpi.logical(in.cx);
    const std::int32_t cy = in.dpi.logical(in.cy);
    const std::int32_t u = scale(cx, 4, 1024);
    const std::int32_t h = scale(cy, 25, 768);
    const std::int32_t b = scale(cy, 70, 768);
    const std::int32_t r = scale(cx, in.vista ? 378 : 315, 1024);
    const std::int32_t a = scale(cx, 352, 1024);
    const std::uint32_t steps = effective_steps(in.steps);

    VolumeShape out;
    const std::int32_t iw = scale(in.icon_width, cx, 1024);
    const std::int32_t ih = scale(in.icon_height, cy, 768);
    const std::int32_t t = cy - b - h + (h - in.icon_height) / 2;
    out.icon = {a, t, a + iw, t + ih};

    const std::uint32_t free_width = static_cast<std::uint32_t>(cx - 2 * u - iw - r - a);
    const std::uint32_t stride = free_width / steps;
    const std::int32_t x = a + iw + 3 * u;
    const std::int32_t y = t - (h - ih) / 2;
    out.rects.reserve(steps);
    for (std::uint32_t k = 0; k < steps; ++k) {
        const std::int32_t xk = wrap32(static_cast<std::int64_t>(x) + static_cast<std::int64_t>(k) * stride);
        if (segment_lit(k, in.level, in.maximum, steps)) {
            out.rects.push_back({xk, y, wrap32(static_cast<std::int64_t>(xk) + u), y + h});
            ++out.lit;
        } else {
            out.rects.push_back({xk, y + h - u, wrap32(static_cast<std::int64_t>(xk) + u), y + h});
        }
    }
    return to_physical(std::move(out), in.dpi);
}

VolumeShape framed_volume(const FramedVolumeInput& in)
{
    const std::int32_t cx = in.dpi.logical(in.cx);
    const std::int32_t h = scale(in.dpi.logical(in.cy), 25, 768);
    const std::int32_t u = scale(cx, in.xp ? 8 : 4, 1024);
    const std::int32_t a = scale(cx, 360, 1024);
    const std::uint32_t steps = effective_steps(in.steps);

    VolumeShape out;
    const std::int32_t w = in.icon_width;
    const std::int32_t v = in.icon_height;
    const std::int32_t work_bottom = in.dpi.logical(in.work_bottom);
    const std::int32_t t = work_bottom - v;
    out.icon = {a, t, a + w, t + v};

    const std::int32_t x0 = a + w + (in.xp ? 2 : 3) * u;
    const std::int32_t y = t - (h - v) / 2;
    const std::int32_t z = y + h;
    const std::int32_t e = in.xp ? u / 4 : u / 2;
    // On XP the last segment is lit only at the maximum: the threshold step
    // divides by steps - 1, which a single step would make 0.
    const std::uint32_t divisor = in.xp ? std::max<std::uint32_t>(steps - 1, 1) : steps;

    out.rects.reserve(2 * steps + 2);
    out.rects.push_back({x0, y, x0 + e, z});
    for (std::uint32_t k = 0; k < steps; ++k) {
        const std::int32_t xk = x0 + static_cast<std::int32_t>(k) * u;
        if (segment_lit(k, in.level, in.maximum, divisor)) {
            out.rects.push_back({xk, y, xk + u, z});
            ++out.lit;
        } else {
            out.rects.push_back({xk, z - e, xk + u, z});
            out.rects.push_back({xk, y, xk + u, y + e});
        }
    }
    const std::int32_t x_end = x0 + static_cast<std::int32_t>(steps) * u;
    out.rects.push_back({x_end, y, x_end + e, z});
    const std::int32_t right = x_end + (in.xp ? 1 : 6) * u;
    out.number_box = {0, 0, right, work_bottom};
    out = to_physical(std::move(out), in.dpi);
    // The count stands on the work area's own bottom edge, not on its
    // logical image rounded back.
    out.number_box.bottom = in.work_bottom;
    return out;
}

std::int32_t background_margin(std::int32_t cx, DpiScale dpi) { return dpi.share(6, cx, 1024); }

std::uint32_t volume_percent(std::uint32_t level, std::uint32_t maximum)
{
    if (level >= maximum)
        return level ? 100 : 0;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(level) * 100 + maximum / 2) / maximum);
}

} // namespace vx::osd
