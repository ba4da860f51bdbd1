// The PCX loader as GDI objects: bitmaps read back with GetDIBits, palettes
// with GetPaletteEntries, drawing onto a device context.
#include <gtest/gtest.h>

#include "native/setup/pcx_writer.h"
#include "pcx_bitmap.h"
#include "setup/setup_folder.h"

using namespace vx::setup;
using vxtest::PcxPicture;
using vxtest::SetupFolder;

namespace {

std::vector<PcxRgb> colours(std::size_t n)
{
    std::vector<PcxRgb> v;
    for (std::size_t i = 0; i < n; ++i)
        v.push_back({static_cast<std::uint8_t>(i * 7 + 3), static_cast<std::uint8_t>(255 - i), static_cast<std::uint8_t>(i * 3)});
    return v;
}

// Lines of an even length, plus padding bytes.
PcxPicture picture(std::uint8_t bpp, unsigned width, unsigned height, unsigned padding = 0)
{
    PcxPicture p;
    p.bits_per_pixel = bpp;
    p.x_max = static_cast<std::uint16_t>(width - 1);
    p.y_max = static_cast<std::uint16_t>(height - 1);
    const unsigned line = (((width * bpp + 7) / 8 + 1) & ~1u) + padding;
    for (unsigned r = 0; r < height; ++r) {
        std::vector<std::uint8_t> row(line);
        for (unsigned c = 0; c < line; ++c)
            row[c] = static_cast<std::uint8_t>(r * 31 + c * 5);
        p.rows.push_back(row);
    }
    p.bytes_per_line = static_cast<std::uint16_t>(line);
    p.header_map = colours(16);
    p.trailing = colours(256);
    return p;
}

// Colour index of pixel (x, y), top row 0, as the file holds it: its bits,
// most significant first, read one at a time.
unsigned index_at(const PcxPicture& p, unsigned x, unsigned y)
{
    unsigned index = 0;
    for (unsigned bit = x * p.bits_per_pixel; bit < (x + 1) * p.bits_per_pixel; ++bit)
        index = (index << 1) | ((p.rows[y][bit / 8] >> (7 - bit % 8)) & 1u);
    return index;
}

// The bitmap's pixels as top-down 32-bit RGB.
std::vector<COLORREF> pixels_of(HBITMAP bitmap, int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> raw(static_cast<std::size_t>(width) * height);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, height, raw.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    std::vector<COLORREF> out;
    for (DWORD v : raw)
        out.push_back(RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF));
    return out;
}

struct PcxBitmapTest : ::testing::Test {
    SetupFolder folder{"pcx"};
    std::string save(const std::string& name, const std::vector<std::uint8_t>& bytes)
    {
        folder.write(name, std::string(bytes.begin(), bytes.end()));
        return folder.file(name);
    }
};

} // namespace

TEST_F(PcxBitmapTest, BitmapPixelsMatchTheDecodedPictureForEachDepth)
{
    // Bitmaps hold 1, 4 or 8 bits per pixel: the other depths must be
    // converted. Lines padded by 4 bytes must not shear the picture.
    for (unsigned variant = 0; variant < 16; ++variant) {
        const std::uint8_t bpp = static_cast<std::uint8_t>(variant % 8 + 1);
        const PcxPicture p = picture(bpp, 13, 5, variant < 8 ? 0 : 4);
        HBITMAP bitmap = LoadPcxBitmap(save("logo.pcx", vxtest::encode_pcx(p)).c_str());
        ASSERT_NE(nullptr, bitmap) << int(bpp);
        BITMAP bm{};
        ASSERT_TRUE(GetObjectA(bitmap, sizeof bm, &bm));
        EXPECT_EQ(13, bm.bmWidth);
        EXPECT_EQ(5, bm.bmHeight);
        const auto px = pixels_of(bitmap, 13, 5);
        const std::vector<PcxRgb> table = bpp == 4 ? p.header_map : p.trailing;
        for (unsigned y = 0; y < 5; ++y)
            for (unsigned x = 0; x < 13; ++x) {
                const PcxRgb c = table[index_at(p, x, y)];
                ASSERT_EQ(RGB(c.red, c.green, c.blue), px[y * 13 + x]) << int(bpp) << (variant < 8 ? "" : " padded") << " at " << x << "," << y;
            }
        DeleteObject(bitmap);
    }
}

TEST_F(PcxBitmapTest, PaletteComesFromTheColourSource)
{
    const PcxPicture p = picture(8, 4, 2);
    const std::vector<std::uint8_t> file = vxtest::encode_pcx(p);
    HPALETTE palette = MakePcxPalette(file.data(), static_cast<DWORD>(file.size()));
    ASSERT_NE(nullptr, palette);
    PALETTEENTRY entries[256];
    ASSERT_EQ(256u, GetPaletteEntries(palette, 0, 256, entries));
    EXPECT_EQ(p.trailing[0].red, entries[0].peRed);
    EXPECT_EQ(p.trailing[255].blue, entries[255].peBlue);
    DeleteObject(palette);

    const std::vector<std::uint8_t> sixteen = vxtest::encode_pcx(picture(4, 4, 2));
    palette = MakePcxPalette(sixteen.data(), static_cast<DWORD>(sixteen.size()));
    ASSERT_NE(nullptr, palette);
    EXPECT_EQ(16u, GetPaletteEntries(palette, 0, 0, nullptr));
    ASSERT_EQ(16u, GetPaletteEntries(palette, 0, 16, entries));
    EXPECT_EQ(p.header_map[15].green, entries[15].peGreen);
    DeleteObject(palette);

    EXPECT_EQ(nullptr, LoadPcxPalette(nullptr, folder.file("absent.pcx").c_str()));
}

TEST_F(PcxBitmapTest, RealisingLeavesTheWindowDcWithItsOwnPalette)
{
    // A window with its own DC keeps whatever is selected into it: a logo
    // palette left there would be used after the window deletes it.
    WNDCLASSA cls{};
    cls.style = CS_OWNDC;
    cls.lpfnWndProc = DefWindowProcA;
    cls.lpszClassName = "VxSetupOwnDc";
    RegisterClassA(&cls);
    HWND window = CreateWindowExA(0, cls.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    HGDIOBJ stock = GetStockObject(DEFAULT_PALETTE);
    auto selected = [&] {
        HDC dc = GetDC(window);
        HGDIOBJ p = GetCurrentObject(dc, OBJ_PAL);
        ReleaseDC(window, dc);
        return p;
    };
    HPALETTE palette = LoadPcxPalette(window, save("p.pcx", vxtest::encode_pcx(picture(8, 4, 2))).c_str());
    ASSERT_NE(nullptr, palette);
    EXPECT_EQ(stock, selected());
    RealizeWindowPalette(window, palette);
    EXPECT_EQ(stock, selected());
    EXPECT_EQ(static_cast<DWORD>(OBJ_PAL), GetObjectType(palette)) << "the caller's palette must stay alive";
    DeleteObject(palette);
    DestroyWindow(window);
}

TEST_F(PcxBitmapTest, BadFilesGiveNothing)
{
    EXPECT_EQ(nullptr, LoadPcxBitmap(folder.file("absent.pcx").c_str()));
    EXPECT_EQ(nullptr, LoadPcxBitmap(nullptr));
    std::vector<std::uint8_t> file = vxtest::encode_pcx(picture(8, 4, 2));
    file[0] = 0;
    EXPECT_EQ(nullptr, LoadPcxBitmap(save("a.pcx", file).c_str()));
    file[0] = 10;
    file[65] = 3; // three planes
    EXPECT_EQ(nullptr, LoadPcxBitmap(save("b.pcx", file).c_str()));
    file[65] = 1;
    file[8] = 0xFF; // Xmax far beyond bytes per line
    EXPECT_EQ(nullptr, LoadPcxBitmap(save("c.pcx", file).c_str()));
    EXPECT_EQ(nullptr, LoadPcxBitmap(save("d.pcx", {}).c_str()));
    EXPECT_EQ(nullptr, DecodePcxBitmap(file.data(), nullptr, 100));
    EXPECT_EQ(nullptr, MakePcxPalette(file.data(), 100));
}

TEST_F(PcxBitmapTest, DrawBitmapCopiesAtThePositionTopRowFirst)
{
    PcxPicture p = picture(8, 4, 3);
    p.rows = {{1, 1, 1, 1}, {2, 2, 2, 2}, {3, 3, 3, 3}};
    HBITMAP bitmap = LoadPcxBitmap(save("d.pcx", vxtest::encode_pcx(p)).c_str());
    ASSERT_NE(nullptr, bitmap);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP target = CreateCompatibleBitmap(screen, 20, 20);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, target);
    RECT all{0, 0, 20, 20};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawBitmap(dc, bitmap, 5, 7);
    const PcxRgb top = p.trailing[1], bottom = p.trailing[3];
    EXPECT_EQ(RGB(top.red, top.green, top.blue), GetPixel(dc, 5, 7));
    EXPECT_EQ(RGB(bottom.red, bottom.green, bottom.blue), GetPixel(dc, 8, 9));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc, 9, 9));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc, 5, 10));
    SelectObject(dc, old);
    DeleteObject(target);
    DeleteDC(dc);
    DeleteObject(bitmap);
}
