// Shapes of the displays: the lit pixels of a stretched bitmap or of drawn
// text, as a window region.
#pragma once
#include <windows.h>

#include <span>
#include <vector>

#include "core/geometry.h"

namespace vx::osd {

// Pixel shapes become regions through runs: each 1-bit row is turned into
// runs of lit pixels and the rectangles into one banded region, instead of
// one region combined per lit pixel.
enum class Inside { Black, White };

// The pixels of `inside` colour of `bitmap` (source size src_w x src_h)
// stretched to dst_w x dst_h, placed at (x0, y0). Null when nothing could be
// made; an empty region when no pixel matches.
HRGN shape_from_bitmap(HBITMAP bitmap, int x0, int y0, int src_w, int src_h, int dst_w, int dst_h, Inside inside);

// Draws `text` white on black into a 1-bit surface that holds only the rows
// of `band` of a (0, 0, width, ...) drawing, as DrawTextA(text, -1, draw,
// format) would place it on the whole drawing, and returns the band's shape.
// Only the band is ever scanned, so a surface of the whole drawing (screen
// sized) would cost more than everything else of a show.
HRGN shape_of_drawn_text(HDC memory, const char* text, const Rect& draw, unsigned format, int width,
                         const Rect& band);

// The rectangles of those two shapes, appended to `out` in banded form;
// false when nothing could be made (no bitmap, no surface).
bool bitmap_runs(HBITMAP bitmap, int x0, int y0, int src_w, int src_h, int dst_w, int dst_h, Inside inside,
                 std::vector<Rect>& out);
bool drawn_text_runs(HDC memory, const char* text, const Rect& draw, unsigned format, int width, const Rect& band,
                     std::vector<Rect>& out);

// A region of the given rectangles (any order; overlaps allowed).
HRGN region_from_rects(std::span<const Rect> rects);

// total |= part; deletes part. A null total takes part over.
void add_region(HRGN& total, HRGN part);

} // namespace vx::osd
