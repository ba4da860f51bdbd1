// Where the text display puts its text, its icon and which pixels it scans.
// Portable: no Windows header. cx, cy, rectangles and text extents are in
// physical pixels; the rules' own sizes and margins are evaluated in logical
// units at the given DPI. All divisions are 32-bit signed and round toward
// zero.
#pragma once
#include <cstdint>

#include "core/geometry.h"

namespace vx::osd {

// DrawTextA format flags the layout sets (same values as in winuser.h).
inline constexpr std::uint32_t kDtRight = 0x0002;
inline constexpr std::uint32_t kDtBottom = 0x0008;
inline constexpr std::uint32_t kDtSingleLine = 0x0020;
// Never passed on: it tells DrawTextA to write its ellipsis back into the
// text, which is the caller's (possibly constant) string.
inline constexpr std::uint32_t kDtModifyString = 0x00010000;

// A caller's rectangle is given for a 1024 x 768 screen: its right and bottom
// margins are scaled to the real screen, and 20 pixels are kept free below.
// Left and top stay as given.
Rect rescale_caller_rect(const Rect& r, std::int32_t cx, std::int32_t cy, DpiScale dpi = {});

struct TextLayoutInput {
    Rect rect;                 // drawing rectangle (already rescaled)
    std::int32_t cx = 0;
    std::int32_t cy = 0;
    std::int32_t text_width = 0;   // measured extent of the whole text
    std::int32_t text_height = 0;
    bool has_icon = false;
    std::int32_t bitmap_width = 0; // icon bitmap size before scaling
    std::int32_t bitmap_height = 0;
    std::uint32_t format = 0;      // the caller's DrawTextA format
    DpiScale dpi;
};

struct TextLayout {
    Rect icon;                  // icon target rectangle in screen coordinates; empty without icon
    std::int32_t icon_space = 0;
    Rect draw;                  // DrawTextA rectangle
    std::uint32_t format = 0;   // DrawTextA format actually used
    std::int32_t text_width = 0;   // text width after cutting to the rectangle
    std::int32_t bitmap_width = 0; // size of the 1-bit drawing surface
    std::int32_t bitmap_height = 0;
    Rect band;                  // pixels scanned for the region, inside the surface
};

TextLayout layout_text(const TextLayoutInput& in);

// The framed volume display's count, right-aligned at `right` on the bottom
// edge `bottom`; `digits_width` x `digits_height` is the extent of "00".
struct NumberLayout {
    Rect draw;
    std::int32_t bitmap_width = 0;
    std::int32_t bitmap_height = 0;
    Rect band;
};
NumberLayout layout_number(std::int32_t right, std::int32_t bottom, std::int32_t digits_width,
                           std::int32_t digits_height, std::int32_t cx, DpiScale dpi = {});

} // namespace vx::osd
