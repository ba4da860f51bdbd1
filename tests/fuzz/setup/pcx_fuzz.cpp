// PCX files as the logo loader reads them, against a plain reference: the
// colour table taken from its source offset, every row run-length decoded on
// its own and every pixel's index read bit by bit.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/pcx_decoder.h"

using namespace vx::setup;

namespace {

void check(bool holds)
{
    if (!holds)
        __builtin_trap();
}

// One row of bytes_per_line bytes from file[in]; false when the data ran out.
bool reference_row(std::span<const std::uint8_t> file, std::size_t& in, std::vector<std::uint8_t>& row)
{
    std::size_t n = 0;
    while (n < row.size()) {
        if (in >= file.size() || (file[in] >= 0xC0 && in + 1 >= file.size()))
            return false;
        const std::uint8_t b = file[in++];
        const std::size_t run = b >= 0xC0 ? b & 0x3F : 1;
        const std::uint8_t value = b >= 0xC0 ? file[in++] : b;
        for (std::size_t k = 0; k < run && n < row.size(); ++k)
            row[n++] = value;
    }
    return true;
}

// Colour index of pixel x of a packed row, read bit by bit.
unsigned index_at(const std::uint8_t* row, unsigned bits, std::size_t x)
{
    unsigned index = 0;
    for (std::size_t at = x * bits; at < (x + 1) * bits; ++at)
        index = (index << 1) | ((row[at / 8] >> (7 - at % 8)) & 1u);
    return index;
}

void check_pixels(std::span<const std::uint8_t> file, const PcxHeader& h, const PcxImage& image)
{
    std::size_t in = kPcxHeaderSize;
    bool whole = true;
    for (unsigned r = 0; r < image.height; ++r) {
        std::vector<std::uint8_t> row(h.bytes_per_line, 0); // rows after the data ran out stay zero
        whole = whole && reference_row(file, in, row);
        const std::uint8_t* stored = &image.pixels[(image.height - 1 - r) * image.stride];
        // The width's pixels as the file line holds them (its padding is not
        // stored), then nothing but zero bits to the end of the stored row.
        const std::size_t slots = image.stride * 8 / image.bits_per_pixel;
        for (std::size_t x = 0; x < slots; ++x)
            check(index_at(stored, image.bits_per_pixel, x) ==
                  (x < image.width ? index_at(row.data(), h.bits_per_pixel, x) : 0u));
    }
    check(image.complete == whole);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::span<const std::uint8_t> file(data, size);
    PcxImage image;
    PcxHeader h;
    if (decode_pcx(file, image) == PcxError::None && read_pcx_header(file, h)) {
        check(image.width == h.x_max - h.x_min + 1 && image.height == h.y_max - h.y_min + 1);
        check(image.pixels.size() == image.stride * image.height && image.pixels.size() <= kPcxMaxPixelBytes);
        // Rows as a device-independent bitmap lays them out, whatever the file's line length.
        check(image.stride % 4 == 0 && image.stride * 8 >= std::size_t{image.width} * image.bits_per_pixel &&
              image.stride * 8 < std::size_t{image.width} * image.bits_per_pixel + 32);
        // Only depths a device-independent bitmap can hold leave the decoder.
        check(image.bits_per_pixel == 1 || image.bits_per_pixel == 4 || image.bits_per_pixel == 8);
        check(image.palette.size() == (1u << h.bits_per_pixel));
        const std::size_t source = image.palette.size() == 16 ? 16 : size - kPcxTrailingPaletteSize;
        for (std::size_t i = 0; i < image.palette.size(); ++i)
            check(image.palette[i] == PcxRgb{data[source + 3 * i], data[source + 3 * i + 1], data[source + 3 * i + 2]});
        if (image.pixels.size() <= (1u << 16)) // larger ones would slow the search down
            check_pixels(file, h, image);
    }
    (void)pcx_palette(file);
    return 0;
}
