#include "per_pixel_reference.h"

#include <vector>

namespace osdtest {
namespace {

void add_pixel(HRGN total, int x, int y)
{
    HRGN pixel = CreateRectRgn(x, y, x + 1, y + 1);
    CombineRgn(total, total, pixel, RGN_OR);
    DeleteObject(pixel);
}

} // namespace

HRGN per_pixel_bitmap_shape(HBITMAP bitmap, int x0, int y0, int src_w, int src_h, int dst_w, int dst_h, bool white)
{
    HDC source = CreateCompatibleDC(nullptr);
    HDC target = CreateCompatibleDC(nullptr);
    HBITMAP stretched = CreateCompatibleBitmap(target, dst_w, dst_h);
    HGDIOBJ old_source = SelectObject(source, bitmap);
    HGDIOBJ old_target = SelectObject(target, stretched);
    StretchBlt(target, 0, 0, dst_w, dst_h, source, 0, 0, src_w, src_h, SRCCOPY);
    const COLORREF wanted = white ? RGB(255, 255, 255) : RGB(0, 0, 0);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    for (int j = 0; j < dst_h; ++j)
        for (int i = 0; i < dst_w; ++i)
            if (GetPixel(target, i, j) == wanted)
                add_pixel(region, x0 + i, y0 + j);
    SelectObject(target, old_target);
    SelectObject(source, old_source);
    DeleteObject(stretched);
    DeleteDC(target);
    DeleteDC(source);
    return region;
}

HRGN per_pixel_text_shape(HDC memory, const char* text, const vx::osd::Rect& draw, unsigned format, int width,
                          const vx::osd::Rect& band)
{
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (band.empty() || width <= 0)
        return region;
    // A surface of the band's rows only; the whole drawing is moved up onto
    // it by the viewport origin.
    const int height = band.height();
    HBITMAP surface = CreateCompatibleBitmap(memory, width, height);
    HGDIOBJ old = SelectObject(memory, surface);
    SetBkColor(memory, RGB(0, 0, 0));
    SetTextColor(memory, RGB(255, 255, 255));
    RECT all{0, 0, width, height};
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    POINT origin;
    SetViewportOrgEx(memory, 0, -band.top, &origin);
    RECT r{draw.left, draw.top, draw.right, draw.bottom};
    DrawTextA(memory, text, -1, &r, format);
    SetViewportOrgEx(memory, origin.x, origin.y, nullptr);
    SelectObject(memory, old);

    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } info{};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = width;
    info.header.biHeight = height;
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    const std::size_t stride = 4 * ((static_cast<std::size_t>(width) + 31) / 32);
    std::vector<BYTE> bits(stride * static_cast<std::size_t>(height));
    GetDIBits(memory, surface, 0, static_cast<UINT>(height), bits.data(), reinterpret_cast<BITMAPINFO*>(&info),
              DIB_RGB_COLORS);
    const bool set_is_white = info.colors[1].rgbRed == 255;
    for (int y = 0; y < height; ++y) {
        const BYTE* row = bits.data() + static_cast<std::size_t>(height - 1 - y) * stride;
        for (int x = band.left < 0 ? 0 : band.left; x < band.right && x < width; ++x) {
            const bool set = (row[x / 8] >> (7 - x % 8)) & 1;
            if (set == set_is_white)
                add_pixel(region, x, band.top + y);
        }
    }
    DeleteObject(surface);
    return region;
}

HRGN rects_one_by_one(const vx::osd::Rect* rects, std::size_t count)
{
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    for (std::size_t i = 0; i < count; ++i) {
        HRGN one = CreateRectRgn(rects[i].left, rects[i].top, rects[i].right, rects[i].bottom);
        CombineRgn(region, region, one, RGN_OR);
        DeleteObject(one);
    }
    return region;
}

} // namespace osdtest
