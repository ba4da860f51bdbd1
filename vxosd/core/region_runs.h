// Turns 1-bit pixel rows into the rectangles of a window region. Portable: no
// Windows header.
//
// The result is in the banded form a region is stored in: rectangles sorted
// by top, then left; the rectangles of one band share top and bottom, do not
// touch each other, and identical consecutive rows are merged into one band.
// Building a region from such a list is one call instead of one combine per
// lit pixel.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/geometry.h"

namespace vx::osd {

// A 1-bit image: `rows` rows of `stride` bytes, the most significant bit of
// each byte first (pixel x is bit 7 - x % 8 of byte x / 8). Row 0 is the
// first row in memory; `bottom_up` says that it is the bottom row of the
// picture, as in a bottom-up DIB.
struct BitImage {
    std::span<const std::uint8_t> bits;
    std::size_t stride = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool bottom_up = false;

    // Picture row y (0 = top) in memory, or an empty span when y is outside
    // the picture or the buffer is too short for it.
    std::span<const std::uint8_t> row(std::int32_t y) const;
};

// What counts as inside: set bits (lit_when_set) or clear bits.
struct ScanWindow {
    Rect area;                 // picture pixels to scan; clipped to the picture
    std::int32_t dx = 0;       // added to picture coordinates in the result
    std::int32_t dy = 0;
    bool lit_when_set = true;
};

// Appends the rectangles covering exactly the inside pixels of `window.area`
// (moved by dx, dy) to `out`, in banded form. Rows are visited top down.
void append_runs(const BitImage& image, const ScanWindow& window, std::vector<Rect>& out);

// Number of pixels covered by a banded list (its rectangles never overlap).
std::int64_t area(std::span<const Rect> banded);

} // namespace vx::osd
