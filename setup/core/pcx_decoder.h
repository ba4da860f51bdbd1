// PCX pictures of one colour plane, 1 to 8 bits per pixel, run-length
// encoded: header checks, colour table and the decoded bottom-up pixel rows
// of a device-independent bitmap. Device-independent bitmaps hold only 1, 4
// or 8 bits per pixel, so pictures of other depths are widened to 8. No
// Windows header.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vx::setup {

inline constexpr std::size_t kPcxHeaderSize = 128;
inline constexpr std::size_t kPcxTrailingPaletteSize = 768;
// Largest pixel buffer a picture may need; a logo is far smaller, and a
// hostile header must not make us allocate gigabytes.
inline constexpr std::size_t kPcxMaxPixelBytes = 64u * 1024u * 1024u;

struct PcxRgb {
    std::uint8_t red, green, blue;
    bool operator==(const PcxRgb&) const = default;
};

enum class PcxError {
    None,
    TooShort,          // no complete header
    NotPcx,            // first byte is not 10
    UnsupportedDepth,  // bits per pixel 0 or above 8, or more than one plane
    BadExtent,         // Xmax < Xmin or Ymax < Ymin
    BadLineLength,     // bytes per line shorter than a row of the width needs
    TooLarge,          // pixel buffer above kPcxMaxPixelBytes
    NoPalette,         // shorter than the 768-byte trailing palette it needs
};

struct PcxHeader {
    unsigned bits_per_pixel = 0;
    unsigned planes = 0;
    unsigned x_min = 0, y_min = 0, x_max = 0, y_max = 0;
    unsigned x_dpi = 0, y_dpi = 0;
    unsigned bytes_per_line = 0;
};

// Reads the header fields; false when the file has no complete header.
bool read_pcx_header(std::span<const std::uint8_t> file, PcxHeader& header);

// 2 to the power of the depth for one plane of 1 to 8 bits, else 0.
unsigned pcx_color_count(const PcxHeader& header);

// Colour table: 16-colour pictures take the header map, all others the first
// entries of the file's last 768 bytes. Empty when unsupported or the file
// is too short for its colour source.
std::vector<PcxRgb> pcx_palette(std::span<const std::uint8_t> file, PcxError* error = nullptr);

// Bytes per stored row of a device-independent bitmap: width pixels of the
// given depth, rounded up to a multiple of 4 bytes. The file's bytes per line
// may be longer (encoders pad lines); that padding is not stored.
inline std::size_t pcx_row_stride(unsigned width, unsigned bits_per_pixel)
{
    return (std::size_t{width} * bits_per_pixel + 31) / 32 * 4;
}

struct PcxImage {
    unsigned width = 0;
    unsigned height = 0;
    unsigned bits_per_pixel = 0; // of the stored rows: 1, 4 or 8
    std::size_t stride = 0;
    std::int32_t x_pixels_per_metre = 0;
    std::int32_t y_pixels_per_metre = 0;
    std::vector<PcxRgb> palette;
    std::vector<std::uint8_t> pixels; // stride * height bytes, last file row first
    bool complete = false;            // false when the data ended before the last row
};

// Decodes a whole file image. Encoded data that ends early leaves the
// remaining rows zero (complete = false); decoding never reads past the file.
PcxError decode_pcx(std::span<const std::uint8_t> file, PcxImage& image);

} // namespace vx::setup
