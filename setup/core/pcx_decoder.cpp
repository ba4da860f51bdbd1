#include "core/pcx_decoder.h"

namespace vx::setup {
namespace {

unsigned u16(std::span<const std::uint8_t> file, std::size_t offset)
{
    return static_cast<unsigned>(file[offset]) | (static_cast<unsigned>(file[offset + 1]) << 8);
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
    const std::size_t width = std::size_t{header.x_max} - header.x_min + 1;
    if (std::size_t{header.bytes_per_line} * 8 < width * header.bits_per_pixel)
        return PcxError::BadLineLength;
    const std::size_t height = std::size_t{header.y_max} - header.y_min + 1;
    if (pcx_row_stride(header.bytes_per_line) * height > kPcxMaxPixelBytes)
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
        // The trailing palette must lie wholly after the header.
        if (file.size() < kPcxHeaderSize + kPcxTrailingPaletteSize)
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

    image.width = header.x_max - header.x_min + 1;
    image.height = header.y_max - header.y_min + 1;
    image.bits_per_pixel = header.bits_per_pixel;
    image.stride = pcx_row_stride(header.bytes_per_line);
    image.x_pixels_per_metre = static_cast<std::int32_t>(header.x_dpi * 39);
    image.y_pixels_per_metre = static_cast<std::int32_t>(header.y_dpi * 39);
    image.pixels.assign(image.stride * image.height, 0);

    std::size_t in = kPcxHeaderSize;
    for (unsigned row = 0; row < image.height; ++row) {
        std::uint8_t* out = image.pixels.data() + (image.height - 1 - row) * image.stride;
        std::size_t produced = 0;
        while (produced < header.bytes_per_line) {
            if (in >= file.size())
                return PcxError::None; // data ended early: the rest stays zero
            const std::uint8_t b = file[in++];
            if (b >= 0xC0) {
                if (in >= file.size())
                    return PcxError::None;
                const std::uint8_t value = file[in++];
                std::size_t run = b & 0x3F;
                if (run > header.bytes_per_line - produced)
                    run = header.bytes_per_line - produced;
                for (std::size_t k = 0; k < run; ++k)
                    out[produced++] = value;
            } else {
                out[produced++] = b;
            }
        }
    }
    image.complete = true;
    return PcxError::None;
}

} // namespace vx::setup
