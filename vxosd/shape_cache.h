// The shapes of pictures and drawn text, kept between shows as rectangle
// runs: a held volume key or a mute toggle shows the same icon and the same
// few texts again and again, and drawing and scanning them was most of what
// a show computed. Runs are plain rectangles, so the cache holds no GDI
// object; each show gets a region of its own.
#pragma once
#include <windows.h>

#include <cstddef>

#include "core/geometry.h"
#include "region_shaping.h"

namespace vx::osd {

// The size of the module's bitmap `id`; false when it does not load.
bool picture_size(int id, SIZE& size);

// The pixels of `inside` colour of bitmap `id` stretched to the size of
// `target` and placed there; null when the bitmap does not load or the
// target is empty.
HRGN picture_shape(int id, const Rect& target, Inside inside);

// The extent of `text` drawn in `font` (zero when it cannot be measured).
SIZE text_extent(const LOGFONTA& font, const char* text);

// shape_of_drawn_text of `text` drawn in `font`; null when its surface
// cannot be made.
HRGN text_shape(const LOGFONTA& font, const char* text, const Rect& draw, unsigned format, int width,
                const Rect& band);

// Forgets every shape: fonts were added or removed, or the library closes.
void clear_shape_cache();

// How many texts have an extent or a shape kept.
std::size_t kept_texts();

} // namespace vx::osd
