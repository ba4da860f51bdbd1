// The portable parts setup runs on start: decoding a logo the size of the
// title band (8-bit, run-length encoded like a drawn picture) and reading
// the fields of script values.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/pcx_decoder.h"
#include "core/script_fields.h"

namespace {

std::vector<std::uint8_t> logo(unsigned width, unsigned height)
{
    std::vector<std::uint8_t> file(128, 0);
    file[0] = 10;
    file[1] = 5;
    file[2] = 1;
    file[3] = 8;
    file[8] = static_cast<std::uint8_t>((width - 1) & 0xFF);
    file[9] = static_cast<std::uint8_t>((width - 1) >> 8);
    file[10] = static_cast<std::uint8_t>((height - 1) & 0xFF);
    file[11] = static_cast<std::uint8_t>((height - 1) >> 8);
    file[12] = file[14] = 72;
    file[65] = 1;
    file[66] = static_cast<std::uint8_t>(width & 0xFF);
    file[67] = static_cast<std::uint8_t>(width >> 8);
    for (unsigned y = 0; y < height; ++y) {
        // Bands of flat colour with some detail: runs of 8 and single bytes.
        for (unsigned x = 0; x < width;) {
            if ((x / 8 + y / 4) % 3 == 0 && x + 8 <= width) {
                file.push_back(0xC8);
                file.push_back(static_cast<std::uint8_t>(y % 200));
                x += 8;
            } else {
                file.push_back(static_cast<std::uint8_t>((x * 7 + y) % 0xC0));
                ++x;
            }
        }
    }
    file.push_back(12);
    file.resize(file.size() + 768, 0x40);
    return file;
}

void BM_DecodeLogo(benchmark::State& state)
{
    const auto file = logo(static_cast<unsigned>(state.range(0)), static_cast<unsigned>(state.range(1)));
    vx::setup::PcxImage image;
    for (auto _ : state) {
        vx::setup::decode_pcx(file, image);
        benchmark::DoNotOptimize(image.pixels.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_DecodeLogo)->Args({200, 80})->Args({640, 120})->Args({1024, 768});

void BM_ReadScriptValue(benchmark::State& state)
{
    const vx::setup::MacroFolders folders{"C:\\Windows\\system32", "C:\\Windows", "C:\\Windows\\system32",
                                          "D:\\Setup"};
    const vx::setup::MacroExpander expand = [&](std::string_view name) {
        return vx::setup::expand_macro(name, folders, [](std::string_view) { return std::string("Keyboard Tools"); });
    };
    const std::string value = "%1%\\Drivers, /q /norestart \"/log:%App%.log\", 1";
    std::string fields[3];
    for (auto _ : state)
        benchmark::DoNotOptimize(vx::setup::read_fields(value, expand, fields, 3));
}
BENCHMARK(BM_ReadScriptValue);

} // namespace
