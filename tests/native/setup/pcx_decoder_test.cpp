// PCX decoding: header checks, colour sources, row layout and run-length
// edge cases, against files the tests encode themselves.
#include <gtest/gtest.h>

#include <algorithm>

#include "native/setup/pcx_writer.h"
#include "core/pcx_decoder.h"

using namespace vx::setup;
using vxtest::encode_pcx;
using vxtest::PcxPicture;

namespace {

std::vector<PcxRgb> ramp(std::size_t n, std::uint8_t base)
{
    std::vector<PcxRgb> v;
    for (std::size_t i = 0; i < n; ++i)
        v.push_back({static_cast<std::uint8_t>(base + i), static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i)});
    return v;
}

PcxPicture picture(std::uint8_t bpp, unsigned width, unsigned height)
{
    PcxPicture p;
    p.bits_per_pixel = bpp;
    p.x_max = static_cast<std::uint16_t>(width - 1);
    p.y_max = static_cast<std::uint16_t>(height - 1);
    const unsigned line = (width * bpp + 7) / 8;
    for (unsigned r = 0; r < height; ++r) {
        std::vector<std::uint8_t> row(line);
        for (unsigned c = 0; c < line; ++c)
            row[c] = static_cast<std::uint8_t>(r * 16 + c);
        p.rows.push_back(row);
    }
    p.header_map = ramp(16, 100);
    p.trailing = ramp(256, 0);
    return p;
}

PcxImage decode_ok(const std::vector<std::uint8_t>& file)
{
    PcxImage image;
    EXPECT_EQ(PcxError::None, decode_pcx(file, image));
    return image;
}

} // namespace

TEST(PcxDecoder, EightBitRowsAreStoredBottomUpWithPaddedStride)
{
    PcxPicture p = picture(8, 5, 3);
    PcxImage img = decode_ok(encode_pcx(p));
    EXPECT_EQ(5u, img.width);
    EXPECT_EQ(3u, img.height);
    EXPECT_EQ(8u, img.stride);
    EXPECT_TRUE(img.complete);
    ASSERT_EQ(24u, img.pixels.size());
    // First file row (the top of the picture) is the last stored row.
    for (unsigned r = 0; r < 3; ++r) {
        const std::uint8_t* stored = &img.pixels[(2 - r) * 8];
        for (unsigned c = 0; c < 5; ++c)
            EXPECT_EQ(p.rows[r][c], stored[c]) << r << "," << c;
        for (unsigned c = 5; c < 8; ++c)
            EXPECT_EQ(0, stored[c]);
    }
    EXPECT_EQ(2808, img.x_pixels_per_metre);
    EXPECT_EQ(2808, img.y_pixels_per_metre);
}

TEST(PcxDecoder, StrideFollowsWidthAndDepthNotTheFileLine)
{
    EXPECT_EQ(36u, pcx_row_stride(33, 8));
    EXPECT_EQ(36u, pcx_row_stride(36, 8));
    EXPECT_EQ(4u, pcx_row_stride(1, 1));
    EXPECT_EQ(8u, pcx_row_stride(33, 1));
    EXPECT_EQ(12u, pcx_row_stride(17, 4));
    // No 16-bit wrap-around: the widest picture keeps its full length.
    EXPECT_EQ(65536u, pcx_row_stride(65536, 8));
    // Lines padded to 33 bytes for 30 pixels: the bitmap rows hold 32.
    PcxPicture p = picture(8, 30, 2);
    p.bytes_per_line = 33;
    for (auto& row : p.rows)
        row.resize(33, 7);
    const PcxImage img = decode_ok(encode_pcx(p));
    EXPECT_EQ(32u, img.stride);
    // The second file row (stored first) starts after the first one's padding.
    EXPECT_TRUE(std::equal(p.rows[1].begin(), p.rows[1].begin() + 30, img.pixels.begin()));
    EXPECT_EQ(0, img.pixels[30]);
}

TEST(PcxDecoder, ColourSourceDependsOnColourCount)
{
    // 16 colours: the header map, whatever the file ends with.
    PcxImage img = decode_ok(encode_pcx(picture(4, 4, 2)));
    EXPECT_EQ(ramp(16, 100), img.palette);
    // 2 and 256 colours: the first triplets of the last 768 bytes.
    img = decode_ok(encode_pcx(picture(1, 16, 2)));
    EXPECT_EQ(ramp(2, 0), img.palette);
    img = decode_ok(encode_pcx(picture(8, 4, 2)));
    EXPECT_EQ(ramp(256, 0), img.palette);
    // Without a trailing palette the last 768 bytes are taken as they are.
    PcxPicture bare = picture(8, 200, 8);
    bare.trailing.clear();
    std::vector<std::uint8_t> file = encode_pcx(bare);
    img = decode_ok(file);
    const std::size_t source = file.size() - 768;
    EXPECT_EQ((PcxRgb{file[source], file[source + 1], file[source + 2]}), img.palette[0]);
    // The colour count follows the depth: 2 bits, 4 colours from the end.
    EXPECT_EQ(4u, decode_ok(encode_pcx(picture(2, 8, 1))).palette.size());
    // In a file of 768 to 895 bytes the last 768 bytes overlap the header.
    file = encode_pcx(picture(1, 8, 1));
    file.resize(800, 0x42);
    EXPECT_EQ((PcxRgb{file[32], file[33], file[34]}), decode_ok(file).palette[0]);
}

TEST(PcxDecoder, RunsAreCutAtTheRowEndAndZeroRunsConsumeTheirValue)
{
    PcxPicture p = picture(8, 4, 2);
    std::vector<std::uint8_t> file = vxtest::pcx_header(p);
    // Row 1: a run of 6 x 0x11 crosses the row end of 4 bytes; the rest is dropped.
    // Row 2: 0xC0 0x99 writes nothing, then 1, 2, a run of 0xC5 written as a run, 3.
    for (std::uint8_t b : {0xC6, 0x11, 0xC0, 0x99, 0x01, 0x02, 0xC1, 0xC5, 0x03})
        file.push_back(b);
    for (int i = 0; i < 769; ++i)
        file.push_back(0);
    PcxImage img = decode_ok(file);
    EXPECT_TRUE(img.complete);
    const std::vector<std::uint8_t> want = {1, 2, 0xC5, 3, 0x11, 0x11, 0x11, 0x11};
    EXPECT_EQ(want, img.pixels);
}

TEST(PcxDecoder, DataEndingEarlyLeavesRestZeroWithoutReadingPastTheFile)
{
    PcxPicture p = picture(4, 32, 4);
    p.trailing.clear();
    std::vector<std::uint8_t> file = encode_pcx(p);
    file.resize(128 + 16 + 5); // one row and part of the next
    PcxImage img;
    ASSERT_EQ(PcxError::None, decode_pcx(file, img));
    EXPECT_FALSE(img.complete);
    EXPECT_EQ(p.rows[0][0], img.pixels[3 * img.stride]);
    EXPECT_EQ(0, img.pixels[0]);
    // A run marker as the very last byte has no value to read.
    file = vxtest::pcx_header(p);
    file.push_back(0xC3);
    ASSERT_EQ(PcxError::None, decode_pcx(file, img));
    EXPECT_FALSE(img.complete);
}

TEST(PcxDecoder, HostileHeadersAreRejected)
{
    auto error_of = [](std::vector<std::uint8_t> file) {
        PcxImage img;
        return decode_pcx(file, img);
    };
    PcxPicture good = picture(8, 4, 2);
    std::vector<std::uint8_t> file = encode_pcx(good);

    EXPECT_EQ(PcxError::TooShort, error_of({10, 5, 1, 8}));
    std::vector<std::uint8_t> bad = file;
    bad[0] = 11;
    EXPECT_EQ(PcxError::NotPcx, error_of(bad));
    for (std::uint8_t depth : {0, 9, 24}) {
        bad = file;
        bad[3] = depth;
        EXPECT_EQ(PcxError::UnsupportedDepth, error_of(bad)) << int(depth);
    }
    bad = file;
    bad[65] = 3; // 24-bit colour as three planes
    EXPECT_EQ(PcxError::UnsupportedDepth, error_of(bad));

    PcxPicture p = good;
    p.x_min = 5;
    p.x_max = 4;
    EXPECT_EQ(PcxError::BadExtent, error_of(encode_pcx(p)));
    p = good;
    p.y_min = 1;
    p.y_max = 0;
    EXPECT_EQ(PcxError::BadExtent, error_of(encode_pcx(p)));
    p = good;
    p.bytes_per_line = 3; // width 4 needs 4 bytes at 8 bits
    EXPECT_EQ(PcxError::BadLineLength, error_of(encode_pcx(p)));
    p = picture(1, 17, 1);
    p.bytes_per_line = 2; // 17 one-bit pixels need 3 bytes
    EXPECT_EQ(PcxError::BadLineLength, error_of(encode_pcx(p)));
    p = good;
    p.bits_per_pixel = 1;
    p.x_max = 0xFFFF;
    p.y_max = 0xFFFF;
    p.bytes_per_line = 0xFFFF;
    EXPECT_EQ(PcxError::TooLarge, error_of(encode_pcx(p)));

    // Trailing palette needed but the file cannot hold one after its header.
    p = picture(8, 2, 1);
    p.trailing.clear();
    EXPECT_EQ(PcxError::NoPalette, error_of(encode_pcx(p)));
    // A 16-colour picture needs no trailing palette.
    p = picture(4, 2, 1);
    p.trailing.clear();
    EXPECT_EQ(PcxError::None, error_of(encode_pcx(p)));
}
