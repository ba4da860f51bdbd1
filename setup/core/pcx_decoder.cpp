#include "core/pcx_decoder.h"

#include <algorithm>

namespace vx::setup {
namespace {

unsigned u16(std::span<const std::uint8_t> file, std::size_t offset)
{
    return static_cast<unsigned>(file[offset]) | (static_cast<unsigned>(file[offset + 1]) << 8);
}

// Depths a device-independent bitmap can hold as they are.
bool dib_depth(unsigned bits) { return bits == 1 || bits == 4 || bits == 8; }

unsigned header_width(const PcxHeader& header) { return header.x_max - header.x_min + 1; }

// Depth of the stored rows: the file's, or 8 when widened.
unsigned stored_depth(const PcxHeader& header) { return dib_depth(header.bits_per_pixel) ? header.bits_per_pixel : 8; }

std::size_t stored_stride(const PcxHeader& header) { return pcx_row_stride(header_width(header), stored_depth(header)); }

// Copies the first width pixels of a file row of 1, 4 or 8 bits; the bits
// after the last pixel stay 0, whatever padding the file's line carries.
void copy_row(const std::vector<std::uint8_t>& line, unsigned bits, unsigned width, std::uint8_t* out)
{
    const std::size_t used_bits = std::size_t{width} * bits;
    const std::size_t whole = used_bits / 8;
    std::copy(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(whole), out);
    if (const unsigned rest = used_bits % 8)
        out[whole] = static_cast<std::uint8_t>(line[whole] & (0xFF00u >> rest));
}

// Unpacks the colour indices of one row (most significant bits first, an
// index may straddle two bytes) into one byte per pixel.
void widen_row(const std::vector<std::uint8_t>& packed, unsigned bits, unsigned width, std::uint8_t* out)
{
    const unsigned mask = (1u << bits) - 1;
    for (unsigned x = 0; x < width; ++x) {
        const std::size_t bit = std::size_t{x} * bits;
        const std::size_t at = bit / 8;
        const unsigned pair = (unsigned{packed[at]} << 8) | (at + 1 < packed.size() ? packed[at + 1] : 0u);
        out[x] = static_cast<std::uint8_t>((pair >> (16 - bits - bit % 8)) & mask);
    }
}

// Run-length decodes one row of length bytes from file at in; false when
// the data ends first (the rest of the row stays as it is).
bool decode_row(std::span<const std::uint8_t> file, std::size_t& in, std::uint8_t* out, std::size_t length)
{
    std::size_t produced = 0;
    while (produced < length) {
        if (in >= file.size())
            return false;
        const std::uint8_t b = file[in++];
        if (b < 0xC0) {
            out[produced++] = b;
            continue;
        }
        if (in >= file.size())
            return false;
        const std::uint8_t value = file[in++];
        std::size_t run = b & 0x3F;
        if (run > length - produced)
            run = length - produced; // a run never crosses into the next row
        for (std::size_t k = 0; k < run; ++k)
            out[produced++] = value;
    }
    return true;
}

PcxError check_header(std::span<const std::uint8_t> file, PcxHeader& header)
{
    if (!read_pcx_header(file, header))
        return PcxError::TooShort;
    if (file[0] != 10)
        return PcxError::NotPcx;
    if (pcx_color_count(header) == 0)
        return PcxError::UnsupportedDepth;
    if (header.x_max < header.x_min || header.y_max < header.y_min)
        return PcxError::BadExtent;
    if (std::size_t{header.bytes_per_line} * 8 < std::size_t{header_width(header)} * header.bits_per_pixel)
        return PcxError::BadLineLength;
    const std::size_t height = std::size_t{header.y_max} - header.y_min + 1;
    if (stored_stride(header) * height > kPcxMaxPixelBytes)
        return PcxError::TooLarge;
    return PcxError::None;
}

} // namespace

bool read_pcx_header(std::span<const std::uint8_t> file, PcxHeader& header)
{
    if (file.size() < kPcxHeaderSize)
        return false;
    header.bits_per_pixel = file[3];
    header.x_min = u16(file, 4);
    header.y_min = u16(file, 6);
    header.x_max = u16(file, 8);
    header.y_max = u16(file, 10);
    header.x_dpi = u16(file, 12);
    header.y_dpi = u16(file, 14);
    header.planes = file[65];
    header.bytes_per_line = u16(file, 66);
    return true;
}

unsigned pcx_color_count(const PcxHeader& header)
{
    if (header.bits_per_pixel < 1 || header.bits_per_pixel > 8 || header.planes != 1)
        return 0;
    return 1u << header.bits_per_pixel;
}

std::vector<PcxRgb> pcx_palette(std::span<const std::uint8_t> file, PcxError* error)
{
    auto fail = [&](PcxError e) {
        if (error)
            *error = e;
        return std::vector<PcxRgb>{};
    };
    PcxHeader header;
    if (!read_pcx_header(file, header))
        return fail(PcxError::TooShort);
    if (file[0] != 10)
        return fail(PcxError::NotPcx);
    const unsigned count = pcx_color_count(header);
    if (count == 0)
        return fail(PcxError::UnsupportedDepth);
    std::size_t source = 16;
    if (count != 16) {
        // The last 768 bytes, even where they overlap the header.
        if (file.size() < kPcxTrailingPaletteSize)
            return fail(PcxError::NoPalette);
        source = file.size() - kPcxTrailingPaletteSize;
    }
    std::vector<PcxRgb> palette(count);
    for (unsigned i = 0; i < count; ++i)
        palette[i] = {file[source + 3 * i], file[source + 3 * i + 1], file[source + 3 * i + 2]};
    if (error)
        *error = PcxError::None;
    return palette;
}

PcxError decode_pcx(std::span<const std::uint8_t> file, PcxImage& image)
{
    image = PcxImage{};
    PcxHeader header;
    if (PcxError e = check_header(file, header); e != PcxError::None)
        return e;
    PcxError palette_error = PcxError::None;
    image.palette = pcx_palette(file, &palette_error);
    if (palette_error != PcxError::None)
        return palette_error;

    image.width = header_width(header);
    image.height = header.y_max - header.y_min + 1;
    const bool widen = !dib_depth(header.bits_per_pixel);
    image.bits_per_pixel = stored_depth(header);
    image.stride = stored_stride(header);
    image.x_pixels_per_metre = static_cast<std::int32_t>(header.x_dpi * 39);
    image.y_pixels_per_metre = static_cast<std::int32_t>(header.y_dpi * 39);
    image.pixels.assign(image.stride * image.height, 0);

    // Each line of the file is bytes_per_line bytes, which may be more than
    // the width needs; only the width's pixels are stored.
    std::vector<std::uint8_t> line(header.bytes_per_line);
    std::size_t in = kPcxHeaderSize;
    for (unsigned row = 0; row < image.height; ++row) {
        std::uint8_t* out = image.pixels.data() + (image.height - 1 - row) * image.stride;
        std::fill(line.begin(), line.end(), std::uint8_t{0});
        const bool whole = decode_row(file, in, line.data(), line.size());
        if (widen)
            widen_row(line, header.bits_per_pixel, image.width, out);
        else
            copy_row(line, header.bits_per_pixel, image.width, out);
        if (!whole)
            return PcxError::None; // data ended early: the rest stays zero
    }
    image.complete = true;
    return PcxError::None;
}

} // namespace vx::setup
