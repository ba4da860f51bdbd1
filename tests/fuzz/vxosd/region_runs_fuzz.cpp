// Any 1-bit picture, stride, window and offset: painted back pixel by pixel,
// the rectangles cover every inside pixel once and nothing else; they are
// banded, and two touching bands never hold the same runs (they would be one).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/region_runs.h"

using namespace vx::osd;

namespace {

void check(bool holds)
{
    if (!holds)
        std::abort();
}

// The runs of a band as the left and right edges of its rectangles.
std::vector<std::int32_t> band_edges(const std::vector<Rect>& rects, std::size_t first, std::size_t end)
{
    std::vector<std::int32_t> edges;
    for (std::size_t i = first; i < end; ++i)
        edges.insert(edges.end(), {rects[i].left, rects[i].right});
    return edges;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 8)
        return 0;
    const int width = data[0] % 80;
    const int height = data[1] % 40;
    const std::size_t stride = data[2] % 16;
    const Rect scan{static_cast<std::int8_t>(data[3]) / 2, static_cast<std::int8_t>(data[4]) / 4,
                    static_cast<std::int8_t>(data[5]), static_cast<std::int8_t>(data[6]) / 2};
    const bool lit_when_set = data[7] & 1;
    const bool bottom_up = data[7] & 2;
    const std::vector<std::uint8_t> bits(data + 8, data + size); // exact size: ASan sees any over-read
    const BitImage image{bits, stride, width, height, bottom_up};
    const ScanWindow window{scan, data[7] >> 4, -(data[7] >> 4), lit_when_set};

    std::vector<Rect> rects;
    append_runs(image, window, rects);

    auto inside = [&](int x, int y) {
        if (x < std::max(scan.left, 0) || x >= std::min(scan.right, width) || y < std::max(scan.top, 0) ||
            y >= std::min(scan.bottom, height))
            return false;
        const std::size_t row = static_cast<std::size_t>(bottom_up ? height - 1 - y : y);
        if (stride == 0 || (row + 1) * stride > bits.size() || static_cast<std::size_t>(x) / 8 >= stride)
            return false;
        return (((bits[row * stride + x / 8] >> (7 - x % 8)) & 1) != 0) == lit_when_set;
    };
    std::vector<std::uint8_t> covered(static_cast<std::size_t>(width * height), 0);
    std::int64_t painted = 0, expected = 0;
    for (const Rect& r : rects) {
        check(!r.empty());
        for (int y = r.top - window.dy; y < r.bottom - window.dy; ++y)
            for (int x = r.left - window.dx; x < r.right - window.dx; ++x) {
                check(inside(x, y) && !covered[y * width + x]++);
                ++painted;
            }
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            expected += inside(x, y);
    check(painted == expected && area(rects) == expected);

    std::size_t band = 0, previous = 0;
    for (std::size_t i = 1; i <= rects.size(); ++i) {
        if (i < rects.size() && rects[i].top == rects[band].top) {
            check(rects[i].bottom == rects[band].bottom && rects[i - 1].right < rects[i].left);
            continue;
        }
        if (i < rects.size())
            check(rects[i].top >= rects[band].bottom);
        if (band > 0 && rects[previous].bottom == rects[band].top)
            check(band_edges(rects, previous, band) != band_edges(rects, band, i));
        previous = band;
        band = i;
    }
    return 0;
}
