// Region rectangles from the text band of a 20-character string at three
// screen sizes: the run builder against one rectangle per lit pixel (what
// the per-pixel method hands to the region combiner, before its cost per
// combine). The Windows-side timing of whole shows is tools/osd_timing.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "core/region_runs.h"

using namespace vx::osd;

namespace {

// A band of glyph-like strokes: vertical stems and horizontal bars, about a
// third of the band lit, like large anti-aliasing-free text.
struct Band {
    std::vector<std::uint8_t> bits;
    std::size_t stride;
    int width;
    int height;
};

Band make_band(int screen_width, int screen_height)
{
    Band b;
    b.width = screen_width;
    b.height = 42 * screen_height / 768;
    b.stride = 4 * ((static_cast<std::size_t>(b.width) + 31) / 32);
    b.bits.assign(b.stride * static_cast<std::size_t>(b.height), 0);
    const int glyph = 23 * screen_width / 1024;
    const int text_left = b.width - 20 * glyph - 40;
    std::mt19937 rng(7);
    for (int c = 0; c < 20; ++c) {
        const int x0 = text_left + c * glyph;
        const int stem = glyph / 6 + 1;
        const unsigned shape = rng();
        for (int y = b.height / 6; y < b.height - b.height / 6; ++y) {
            for (int x = x0; x < x0 + glyph - 2; ++x) {
                const int dx = x - x0;
                const int dy = y - b.height / 6;
                const bool lit = ((shape & 1) && dx < stem) || ((shape & 2) && dx >= glyph - 2 - stem) ||
                                 ((shape & 4) && dy < stem) || ((shape & 8) && dy >= b.height * 2 / 3 - stem) ||
                                 ((shape & 16) && dy >= b.height / 3 - stem / 2 && dy < b.height / 3 + stem / 2);
                if (lit)
                    b.bits[static_cast<std::size_t>(y) * b.stride + static_cast<std::size_t>(x) / 8] |=
                        static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    return b;
}

void BM_Runs(benchmark::State& state)
{
    const Band b = make_band(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const BitImage image{b.bits, b.stride, b.width, b.height, false};
    std::vector<Rect> rects;
    for (auto _ : state) {
        rects.clear();
        append_runs(image, {{0, 0, b.width, b.height}, 0, 0, true}, rects);
        benchmark::DoNotOptimize(rects.data());
    }
    state.counters["rects"] = static_cast<double>(rects.size());
}

void BM_PerPixel(benchmark::State& state)
{
    const Band b = make_band(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    std::vector<Rect> rects;
    for (auto _ : state) {
        rects.clear();
        for (int y = 0; y < b.height; ++y)
            for (int x = 0; x < b.width; ++x)
                if ((b.bits[static_cast<std::size_t>(y) * b.stride + static_cast<std::size_t>(x) / 8] >> (7 - x % 8)) & 1)
                    rects.push_back({x, y, x + 1, y + 1});
        benchmark::DoNotOptimize(rects.data());
    }
    state.counters["rects"] = static_cast<double>(rects.size());
}

} // namespace

BENCHMARK(BM_Runs)->Args({1024, 768})->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PerPixel)->Args({1024, 768})->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond);
