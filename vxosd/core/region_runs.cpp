#include "core/region_runs.h"

#include <algorithm>

namespace vx::osd {

std::span<const std::uint8_t> BitImage::row(std::int32_t y) const
{
    if (y < 0 || y >= height || stride == 0)
        return {};
    const std::size_t index = static_cast<std::size_t>(bottom_up ? height - 1 - y : y);
    if (index >= bits.size() / stride)
        return {};
    return bits.subspan(index * stride, stride);
}

namespace {

struct Run {
    std::int32_t left;
    std::int32_t right;
    friend bool operator==(const Run&, const Run&) = default;
};

// Runs of inside pixels of one row within [x0, x1); the row holds at least
// (x1 + 7) / 8 bytes.
void row_runs(std::span<const std::uint8_t> row, std::int32_t x0, std::int32_t x1, bool lit_when_set,
              std::vector<Run>& runs)
{
    runs.clear();
    const std::uint8_t empty = lit_when_set ? 0x00 : 0xFF;
    std::int32_t start = -1;
    std::int32_t x = x0;
    while (x < x1) {
        const std::uint8_t byte = row[static_cast<std::size_t>(x) / 8];
        // Whole bytes without a change of state are skipped in one step.
        if ((x & 7) == 0 && x + 8 <= x1) {
            if (byte == empty && start < 0) {
                x += 8;
                continue;
            }
            if (byte == static_cast<std::uint8_t>(~empty) && start >= 0) {
                x += 8;
                continue;
            }
        }
        const bool set = (byte >> (7 - (x & 7))) & 1;
        const bool inside = set == lit_when_set;
        if (inside && start < 0)
            start = x;
        else if (!inside && start >= 0) {
            runs.push_back({start, x});
            start = -1;
        }
        ++x;
    }
    if (start >= 0)
        runs.push_back({start, x1});
}

} // namespace

void append_runs(const BitImage& image, const ScanWindow& window, std::vector<Rect>& out)
{
    const std::int32_t x0 = std::max<std::int32_t>(window.area.left, 0);
    const std::int32_t y0 = std::max<std::int32_t>(window.area.top, 0);
    std::int32_t x1 = std::min(window.area.right, image.width);
    const std::int32_t y1 = std::min(window.area.bottom, image.height);
    // Never read past the row: a stride shorter than the width limits it.
    x1 = std::min<std::int64_t>(x1, static_cast<std::int64_t>(image.stride) * 8);
    if (x0 >= x1 || y0 >= y1)
        return;

    std::vector<Run> previous;
    std::vector<Run> current;
    std::size_t band_start = out.size();
    bool have_band = false;
    for (std::int32_t y = y0; y < y1; ++y) {
        const auto row = image.row(y);
        if (row.empty()) {
            current.clear();
        } else {
            row_runs(row, x0, x1, window.lit_when_set, current);
        }
        if (have_band && current == previous) {
            // The same runs as the row above: the band grows by one row.
            for (std::size_t i = band_start; i < out.size(); ++i)
                ++out[i].bottom;
            continue;
        }
        band_start = out.size();
        have_band = !current.empty();
        for (const Run& run : current)
            out.push_back({run.left + window.dx, y + window.dy, run.right + window.dx, y + 1 + window.dy});
        previous.swap(current);
    }
}

std::int64_t area(std::span<const Rect> banded)
{
    std::int64_t total = 0;
    for (const Rect& r : banded)
        total += static_cast<std::int64_t>(r.width()) * r.height();
    return total;
}

} // namespace vx::osd
