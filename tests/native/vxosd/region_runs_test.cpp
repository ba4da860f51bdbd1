#include <gtest/gtest.h>

#include <random>
#include <set>
#include <utility>
#include <vector>

#include "core/region_runs.h"

using namespace vx::osd;

namespace {

using Pixels = std::set<std::pair<int, int>>;

// A 1-bit picture built from rows of '#' (set) and '.' (clear).
struct Picture {
    std::vector<std::uint8_t> bits;
    std::size_t stride;
    int width;
    int height;

    Picture(const std::vector<std::string>& rows, bool bottom_up = false)
        : stride(4 * ((rows[0].size() + 31) / 32)), width(static_cast<int>(rows[0].size())),
          height(static_cast<int>(rows.size()))
    {
        bits.assign(stride * rows.size(), 0);
        for (int y = 0; y < height; ++y) {
            const std::size_t mem = static_cast<std::size_t>(bottom_up ? height - 1 - y : y);
            for (int x = 0; x < width; ++x)
                if (rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] == '#')
                    bits[mem * stride + static_cast<std::size_t>(x) / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
        this->bottom_up = bottom_up;
    }
    bool bottom_up = false;
    BitImage image() const { return {bits, stride, width, height, bottom_up}; }
};

Pixels covered(const std::vector<Rect>& rects)
{
    Pixels p;
    for (const Rect& r : rects)
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                p.insert({x, y});
    return p;
}

// The per-pixel reference: every inside pixel of the window, moved.
Pixels reference(const BitImage& image, const ScanWindow& w)
{
    Pixels p;
    for (int y = w.area.top; y < w.area.bottom; ++y) {
        const auto row = image.row(y);
        if (row.empty())
            continue;
        for (int x = std::max(0, w.area.left); x < std::min(w.area.right, image.width); ++x) {
            const bool set = (row[static_cast<std::size_t>(x) / 8] >> (7 - x % 8)) & 1;
            if (set == w.lit_when_set)
                p.insert({x + w.dx, y + w.dy});
        }
    }
    return p;
}

// Banded: sorted by top then left; one band shares top and bottom; no two
// rectangles of a band touch; nothing overlaps.
void expect_banded(const std::vector<Rect>& rects)
{
    for (std::size_t i = 0; i < rects.size(); ++i) {
        EXPECT_FALSE(rects[i].empty());
        if (i == 0)
            continue;
        const Rect& a = rects[i - 1];
        const Rect& b = rects[i];
        if (a.top == b.top) {
            EXPECT_EQ(a.bottom, b.bottom);
            EXPECT_LT(a.right, b.left) << "rectangles of one band touch or overlap";
        } else {
            EXPECT_GE(b.top, a.bottom) << "bands overlap";
        }
    }
    EXPECT_EQ(static_cast<std::int64_t>(covered(rects).size()), area(rects));
}

} // namespace

TEST(RegionRuns, RowsBecomeRunsAndEqualRowsOneBand)
{
    const Picture pic({
        "..##..#.",
        "..##..#.",
        "........",
        "########",
    });
    std::vector<Rect> rects;
    append_runs(pic.image(), {{0, 0, 8, 4}, 10, 20, true}, rects);
    const std::vector<Rect> expected{{12, 20, 14, 22}, {16, 20, 17, 22}, {10, 23, 18, 24}};
    EXPECT_EQ(expected, rects);
}

TEST(RegionRuns, ClearBitsCanBeTheInside)
{
    const Picture pic({"#..#", "####"});
    std::vector<Rect> rects;
    append_runs(pic.image(), {{0, 0, 4, 2}, 0, 0, false}, rects);
    EXPECT_EQ((std::vector<Rect>{{1, 0, 3, 1}}), rects);
}

TEST(RegionRuns, BottomUpImagesAreReadTopRowFirst)
{
    const Picture pic({"#...", "...#"}, true);
    std::vector<Rect> rects;
    append_runs(pic.image(), {{0, 0, 4, 2}, 0, 0, true}, rects);
    EXPECT_EQ((std::vector<Rect>{{0, 0, 1, 1}, {3, 1, 4, 2}}), rects);
}

TEST(RegionRuns, WindowIsClippedToThePictureAndTheBuffer)
{
    const Picture pic({"########", "########"});
    std::vector<Rect> rects;
    append_runs(pic.image(), {{-5, -3, 100, 100}, 0, 0, true}, rects);
    EXPECT_EQ((std::vector<Rect>{{0, 0, 8, 2}}), rects);

    // A buffer shorter than the rows it claims: missing rows count as empty,
    // and a stride narrower than the width limits the columns.
    BitImage short_buffer = pic.image();
    short_buffer.bits = short_buffer.bits.subspan(0, pic.stride); // one row only
    rects.clear();
    append_runs(short_buffer, {{0, 0, 8, 2}, 0, 0, true}, rects);
    EXPECT_EQ((std::vector<Rect>{{0, 0, 8, 1}}), rects);

    BitImage narrow = pic.image();
    narrow.stride = 0;
    rects.clear();
    append_runs(narrow, {{0, 0, 8, 2}, 0, 0, true}, rects);
    EXPECT_TRUE(rects.empty());
}

TEST(RegionRuns, RunsEndingAtByteAndWindowEdges)
{
    // Runs that cross byte boundaries, fill whole bytes, and stop at the
    // window's right edge inside a byte.
    const Picture pic({"....########################..##", "#######.########################"});
    std::vector<Rect> rects;
    append_runs(pic.image(), {{0, 0, 31, 2}, 0, 0, true}, rects);
    EXPECT_EQ((std::vector<Rect>{{4, 0, 28, 1}, {30, 0, 31, 1}, {0, 1, 7, 2}, {8, 1, 31, 2}}), rects);
}

TEST(RegionRuns, RandomPicturesMatchThePerPixelReference)
{
    std::mt19937 rng(1234);
    for (int round = 0; round < 300; ++round) {
        const int width = 1 + static_cast<int>(rng() % 90);
        const int height = 1 + static_cast<int>(rng() % 20);
        const int density = static_cast<int>(rng() % 4);
        std::vector<std::string> rows(static_cast<std::size_t>(height), std::string(static_cast<std::size_t>(width), '.'));
        for (auto& row : rows)
            for (auto& c : row) {
                // Sparse, dense, and stripes that repeat row to row.
                const bool lit = density == 0 ? rng() % 7 == 0 : density == 1 ? rng() % 3 != 0 : rng() % 2 == 0;
                c = lit ? '#' : '.';
            }
        if (density == 3)
            for (auto& row : rows)
                row = rows[0];
        const bool bottom_up = rng() % 2;
        const Picture pic(rows, bottom_up);
        const Rect area{static_cast<int>(rng() % 10) - 3, static_cast<int>(rng() % 5) - 2,
                        width - static_cast<int>(rng() % 10) + 3, height - static_cast<int>(rng() % 5) + 2};
        const ScanWindow window{area, static_cast<int>(rng() % 50) - 25, static_cast<int>(rng() % 50) - 25,
                                rng() % 3 != 0};
        std::vector<Rect> rects;
        append_runs(pic.image(), window, rects);
        SCOPED_TRACE(round);
        expect_banded(rects);
        EXPECT_EQ(reference(pic.image(), window), covered(rects));
    }
}
