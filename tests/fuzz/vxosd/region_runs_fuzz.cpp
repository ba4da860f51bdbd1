// Any 1-bit picture, stride, window and offset: the rectangles stay inside
// the buffer's pixels, are banded, and cover exactly the inside pixels.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/region_runs.h"

using namespace vx::osd;

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

    std::int64_t inside = 0;
    for (int y = scan.top; y < scan.bottom; ++y) {
        const auto row = image.row(y);
        if (row.empty())
            continue;
        for (int x = scan.left < 0 ? 0 : scan.left; x < scan.right && x < width; ++x) {
            if (static_cast<std::size_t>(x) / 8 >= row.size())
                break;
            if ((((row[static_cast<std::size_t>(x) / 8] >> (7 - x % 8)) & 1) != 0) == lit_when_set)
                ++inside;
        }
    }
    if (area(rects) != inside)
        std::abort();
    for (std::size_t i = 1; i < rects.size(); ++i) {
        const Rect& a = rects[i - 1];
        const Rect& b = rects[i];
        if (a.top == b.top ? (a.bottom != b.bottom || a.right >= b.left) : b.top < a.bottom)
            std::abort();
    }
    return 0;
}
