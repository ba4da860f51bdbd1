#include "pcx_writer.h"

namespace vxtest {
namespace {

void put16(std::vector<std::uint8_t>& out, std::size_t offset, unsigned value)
{
    out[offset] = static_cast<std::uint8_t>(value & 0xFF);
    out[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

unsigned line_bytes(const PcxPicture& p)
{
    if (p.bytes_per_line)
        return p.bytes_per_line;
    const unsigned width = p.x_max - p.x_min + 1u;
    return (width * p.bits_per_pixel + 7) / 8;
}

} // namespace

std::vector<std::uint8_t> pcx_header(const PcxPicture& p)
{
    std::vector<std::uint8_t> out(128, 0);
    out[0] = 10;
    out[1] = 5;
    out[2] = 1;
    out[3] = p.bits_per_pixel;
    put16(out, 4, p.x_min);
    put16(out, 6, p.y_min);
    put16(out, 8, p.x_max);
    put16(out, 10, p.y_max);
    put16(out, 12, p.dpi);
    put16(out, 14, p.dpi);
    for (std::size_t i = 0; i < p.header_map.size() && i < 16; ++i) {
        out[16 + 3 * i] = p.header_map[i].red;
        out[17 + 3 * i] = p.header_map[i].green;
        out[18 + 3 * i] = p.header_map[i].blue;
    }
    out[65] = p.planes;
    put16(out, 66, line_bytes(p));
    return out;
}

std::vector<std::uint8_t> encode_pcx(const PcxPicture& p)
{
    std::vector<std::uint8_t> out = pcx_header(p);
    for (const auto& row : p.rows) {
        std::size_t i = 0;
        while (i < row.size()) {
            std::size_t run = 1;
            while (i + run < row.size() && row[i + run] == row[i] && run < 63)
                ++run;
            if (run > 1 || row[i] >= 0xC0) {
                out.push_back(static_cast<std::uint8_t>(0xC0 | run));
                out.push_back(row[i]);
            } else {
                out.push_back(row[i]);
            }
            i += run;
        }
    }
    if (!p.trailing.empty()) {
        out.push_back(0x0C);
        for (std::size_t i = 0; i < 256; ++i) {
            const vx::setup::PcxRgb c = i < p.trailing.size() ? p.trailing[i] : vx::setup::PcxRgb{0, 0, 0};
            out.push_back(c.red);
            out.push_back(c.green);
            out.push_back(c.blue);
        }
    }
    return out;
}

} // namespace vxtest
