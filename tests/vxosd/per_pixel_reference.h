// The slow reference of the display shapes: one rectangle region combined
// per lit pixel, the pixels read another way than VXOSD reads them (GetPixel
// on the stretched bitmap; the text drawn unmoved through a viewport origin
// onto a device-dependent bitmap). The region tests compare VXOSD's shapes
// with it and tools/osd_timing times shows against it.
#pragma once
#include <windows.h>

#include "core/geometry.h"

namespace osdtest {

// The pixels of `bitmap` (src_w x src_h) stretched to dst_w x dst_h that are
// white (or black), placed at (x0, y0).
HRGN per_pixel_bitmap_shape(HBITMAP bitmap, int x0, int y0, int src_w, int src_h, int dst_w, int dst_h, bool white);

// The lit pixels inside `band` of DrawTextA(text, -1, draw, format) drawn
// white on black on a 1-bit surface `width` wide.
HRGN per_pixel_text_shape(HDC memory, const char* text, const vx::osd::Rect& draw, unsigned format, int width,
                          const vx::osd::Rect& band);

// A region of the rectangles combined one by one.
HRGN rects_one_by_one(const vx::osd::Rect* rects, std::size_t count);

} // namespace osdtest
