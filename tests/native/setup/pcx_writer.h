// Builds PCX files for tests: a header with the given fields, rows encoded
// with the format's run-length scheme, and an optional trailing palette.
#pragma once
#include <cstdint>
#include <vector>

#include "core/pcx_decoder.h"

namespace vxtest {

struct PcxPicture {
    std::uint8_t bits_per_pixel = 8;
    std::uint8_t planes = 1;
    std::uint16_t x_min = 0, y_min = 0, x_max = 0, y_max = 0;
    std::uint16_t dpi = 72;
    std::uint16_t bytes_per_line = 0; // 0: the minimum for the width
    std::vector<vx::setup::PcxRgb> header_map;   // up to 16 colours
    std::vector<vx::setup::PcxRgb> trailing;     // written as a 0x0C + 768-byte palette when non-empty
    std::vector<std::vector<std::uint8_t>> rows; // top row first, bytes_per_line each
};

// The whole file; rows are run-length encoded.
std::vector<std::uint8_t> encode_pcx(const PcxPicture& picture);

// Only the 128-byte header of the picture.
std::vector<std::uint8_t> pcx_header(const PcxPicture& picture);

} // namespace vxtest
