#include "pcx_bitmap.h"

#include <span>

#include "core/pcx_decoder.h"

namespace vx::setup {

std::vector<std::uint8_t> read_pcx_file(const char* path)
{
    std::vector<std::uint8_t> data;
    if (!path)
        return data;
    // CreateFileA rather than OpenFile: OpenFile cannot open paths of more
    // than 127 characters, which deep setup folders reach.
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return data;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart <= kPcxMaxFileBytes) {
        data.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD read = 0;
        if (!ReadFile(file, data.data(), static_cast<DWORD>(data.size()), &read, nullptr) || read != data.size())
            data.clear();
    }
    CloseHandle(file);
    if (!data.empty() && data[0] != 10)
        data.clear();
    return data;
}

HPALETTE MakePcxPalette(const std::uint8_t* image, DWORD length)
{
    if (!image)
        return nullptr;
    const std::vector<PcxRgb> colours = pcx_palette(std::span<const std::uint8_t>(image, length));
    if (colours.empty())
        return nullptr;
    std::vector<std::uint8_t> block(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * colours.size(), 0);
    auto* palette = reinterpret_cast<LOGPALETTE*>(block.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = static_cast<WORD>(colours.size());
    PALETTEENTRY* entries = palette->palPalEntry;
    for (std::size_t i = 0; i < colours.size(); ++i)
        entries[i] = PALETTEENTRY{colours[i].red, colours[i].green, colours[i].blue, 0};
    return CreatePalette(palette);
}

HBITMAP DecodePcxBitmap(const std::uint8_t* image, HPALETTE palette, DWORD length)
{
    if (!image)
        return nullptr;
    PcxImage decoded;
    if (decode_pcx(std::span<const std::uint8_t>(image, length), decoded) != PcxError::None)
        return nullptr;

    std::vector<std::uint8_t> block(sizeof(BITMAPINFOHEADER) + sizeof(RGBQUAD) * decoded.palette.size(), 0);
    auto* info = reinterpret_cast<BITMAPINFO*>(block.data());
    BITMAPINFOHEADER& h = info->bmiHeader;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = static_cast<LONG>(decoded.width);
    h.biHeight = static_cast<LONG>(decoded.height); // bottom-up
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(decoded.bits_per_pixel);
    h.biCompression = BI_RGB;
    h.biXPelsPerMeter = decoded.x_pixels_per_metre;
    h.biYPelsPerMeter = decoded.y_pixels_per_metre;
    h.biClrUsed = static_cast<DWORD>(decoded.palette.size());
    RGBQUAD* table = info->bmiColors;
    for (std::size_t i = 0; i < decoded.palette.size(); ++i)
        table[i] = RGBQUAD{decoded.palette[i].blue, decoded.palette[i].green, decoded.palette[i].red, 0};

    HDC screen = GetDC(nullptr);
    if (!screen)
        return nullptr;
    HPALETTE previous = nullptr;
    if (palette) {
        previous = SelectPalette(screen, palette, FALSE);
        RealizePalette(screen);
    }
    HBITMAP bitmap = CreateDIBitmap(screen, &h, CBM_INIT, decoded.pixels.data(), info, DIB_RGB_COLORS);
    if (palette)
        SelectPalette(screen, previous, FALSE);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

HBITMAP LoadPcxBitmap(const char* path)
{
    const std::vector<std::uint8_t> image = read_pcx_file(path);
    if (image.empty())
        return nullptr;
    const DWORD length = static_cast<DWORD>(image.size());
    HPALETTE palette = MakePcxPalette(image.data(), length);
    HBITMAP bitmap = DecodePcxBitmap(image.data(), palette, length);
    if (palette)
        DeleteObject(palette);
    return bitmap;
}

HPALETTE LoadPcxPalette(HWND window, const char* path)
{
    HDC dc = GetDC(window);
    if (!dc)
        return nullptr;
    HPALETTE palette = nullptr;
    const std::vector<std::uint8_t> image = read_pcx_file(path);
    if (!image.empty())
        palette = MakePcxPalette(image.data(), static_cast<DWORD>(image.size()));
    if (palette) {
        HPALETTE previous = SelectPalette(dc, palette, FALSE);
        const UINT changed = RealizePalette(dc);
        if (changed != 0 && changed != GDI_ERROR)
            InvalidateRect(window, nullptr, TRUE);
        // The window DC is shared: leave no palette of ours selected in it.
        SelectPalette(dc, previous, FALSE);
    }
    ReleaseDC(window, dc);
    return palette;
}

void DrawBitmap(HDC dc, HBITMAP bitmap, int x, int y)
{
    if (!dc || !bitmap)
        return;
    HDC memory = CreateCompatibleDC(dc);
    if (!memory)
        return;
    HGDIOBJ previous = SelectObject(memory, bitmap);
    SetMapMode(memory, GetMapMode(dc));
    BITMAP bm{};
    GetObjectA(bitmap, sizeof bm, &bm);
    POINT size{bm.bmWidth, bm.bmHeight};
    DPtoLP(dc, &size, 1);
    POINT origin{0, 0};
    DPtoLP(memory, &origin, 1);
    BitBlt(dc, x, y, size.x, size.y, memory, origin.x, origin.y, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
}

void RealizeWindowPalette(HWND window, HPALETTE palette)
{
    HDC dc = GetDC(window);
    if (!dc)
        return;
    if (palette) {
        HPALETTE previous = SelectPalette(dc, palette, FALSE);
        const UINT changed = RealizePalette(dc);
        if (changed != 0 && changed != GDI_ERROR)
            InvalidateRect(window, nullptr, TRUE);
        SelectPalette(dc, previous, FALSE);
    }
    ReleaseDC(window, dc);
}

} // namespace vx::setup
