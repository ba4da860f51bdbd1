#include "region_shaping.h"

#include <algorithm>
#include <vector>

#include "core/region_runs.h"

namespace vx::osd {
namespace {

RegionMethod g_method = RegionMethod::Runs;

// A 1-bit DIB header with room for its two colours.
struct MonoInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[2];
};

MonoInfo mono_info(int width, int height)
{
    MonoInfo info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = height; // bottom-up
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    info.header.biCompression = BI_RGB;
    info.header.biSizeImage = 4 * ((static_cast<DWORD>(width) + 31) / 32) * static_cast<DWORD>(height);
    info.header.biClrUsed = 2;
    return info;
}

std::size_t mono_stride(int width) { return 4 * ((static_cast<std::size_t>(width) + 31) / 32); }

bool is_white(const RGBQUAD& c) { return c.rgbRed == 255 && c.rgbGreen == 255 && c.rgbBlue == 255; }

// Reads rows [first_row, first_row + rows) counted from the top of a 1-bit
// bitmap as a bottom-up DIB; `set_is_white` tells how the bits map to colours.
bool read_rows(HDC dc, HBITMAP bitmap, int width, int height, int first_row, int rows, std::vector<std::uint8_t>& bits,
               bool& set_is_white)
{
    MonoInfo info = mono_info(width, height);
    bits.assign(mono_stride(width) * static_cast<std::size_t>(rows), 0);
    // Scan line 0 of a bottom-up DIB is the bottom row of the picture.
    const UINT start = static_cast<UINT>(height - first_row - rows);
    const int got = GetDIBits(dc, bitmap, start, static_cast<UINT>(rows), bits.data(),
                              reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    if (got != rows)
        return false;
    set_is_white = is_white(info.colors[1]) || !is_white(info.colors[0]);
    return true;
}

HRGN per_pixel(const BitImage& image, const ScanWindow& window)
{
    HRGN total = CreateRectRgn(0, 0, 0, 0);
    for (int y = window.area.top; y < window.area.bottom; ++y) {
        const auto row = image.row(y);
        if (row.empty())
            continue;
        for (int x = window.area.left; x < window.area.right; ++x) {
            if (x < 0 || static_cast<std::size_t>(x) / 8 >= row.size())
                continue;
            const bool set = (row[static_cast<std::size_t>(x) / 8] >> (7 - (x & 7))) & 1;
            if (set != window.lit_when_set)
                continue;
            HRGN pixel = CreateRectRgn(x + window.dx, y + window.dy, x + 1 + window.dx, y + 1 + window.dy);
            CombineRgn(total, total, pixel, RGN_OR);
            DeleteObject(pixel);
        }
    }
    return total;
}

HRGN from_image(const BitImage& image, const ScanWindow& window)
{
    if (g_method == RegionMethod::PerPixel)
        return per_pixel(image, window);
    std::vector<Rect> rects;
    append_runs(image, window, rects);
    return region_from_rects(rects);
}

} // namespace

void set_region_method(RegionMethod method) { g_method = method; }
RegionMethod region_method() { return g_method; }

HRGN region_from_rects(std::span<const Rect> rects)
{
    if (rects.empty())
        return CreateRectRgn(0, 0, 0, 0);
    std::vector<std::uint8_t> buffer(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(rects.size());
    data->rdh.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
    RECT bound{rects[0].left, rects[0].top, rects[0].right, rects[0].bottom};
    auto* out = reinterpret_cast<RECT*>(data->Buffer);
    for (std::size_t i = 0; i < rects.size(); ++i) {
        const Rect& r = rects[i];
        out[i] = RECT{r.left, r.top, r.right, r.bottom};
        bound.left = std::min<LONG>(bound.left, r.left);
        bound.top = std::min<LONG>(bound.top, r.top);
        bound.right = std::max<LONG>(bound.right, r.right);
        bound.bottom = std::max<LONG>(bound.bottom, r.bottom);
    }
    data->rdh.rcBound = bound;
    return ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), data);
}

void add_region(HRGN& total, HRGN part)
{
    if (!part)
        return;
    if (!total) {
        total = part;
        return;
    }
    CombineRgn(total, total, part, RGN_OR);
    DeleteObject(part);
}

HRGN shape_from_bitmap(HBITMAP bitmap, int x0, int y0, int src_w, int src_h, int dst_w, int dst_h, Inside inside)
{
    if (!bitmap || dst_w <= 0 || dst_h <= 0)
        return nullptr;
    HDC source = CreateCompatibleDC(nullptr);
    HDC target = CreateCompatibleDC(nullptr);
    HBITMAP stretched = target ? CreateCompatibleBitmap(target, dst_w, dst_h) : nullptr;
    HRGN region = nullptr;
    if (source && target && stretched) {
        HGDIOBJ old_source = SelectObject(source, bitmap);
        HGDIOBJ old_target = SelectObject(target, stretched);
        StretchBlt(target, 0, 0, dst_w, dst_h, source, 0, 0, src_w, src_h, SRCCOPY);
        if (g_method == RegionMethod::PerPixel) {
            region = CreateRectRgn(0, 0, 0, 0);
            const COLORREF wanted = inside == Inside::Black ? RGB(0, 0, 0) : RGB(255, 255, 255);
            for (int j = 0; j < dst_h; ++j) {
                for (int i = 0; i < dst_w; ++i) {
                    if (GetPixel(target, i, j) != wanted)
                        continue;
                    HRGN pixel = CreateRectRgn(x0 + i, y0 + j, x0 + i + 1, y0 + j + 1);
                    CombineRgn(region, region, pixel, RGN_OR);
                    DeleteObject(pixel);
                }
            }
            SelectObject(target, old_target);
        } else {
            SelectObject(target, old_target);
            std::vector<std::uint8_t> bits;
            bool set_is_white = true;
            if (read_rows(target, stretched, dst_w, dst_h, 0, dst_h, bits, set_is_white)) {
                const BitImage image{bits, mono_stride(dst_w), dst_w, dst_h, true};
                const bool want_white = inside == Inside::White;
                const ScanWindow window{{0, 0, dst_w, dst_h}, x0, y0, want_white == set_is_white};
                region = from_image(image, window);
            }
        }
        SelectObject(source, old_source);
    }
    if (stretched)
        DeleteObject(stretched);
    if (target)
        DeleteDC(target);
    if (source)
        DeleteDC(source);
    return region;
}

HRGN shape_from_text(HDC dc, HBITMAP bitmap, int bitmap_w, int bitmap_h, const Rect& band)
{
    if (band.empty())
        return CreateRectRgn(0, 0, 0, 0);
    std::vector<std::uint8_t> bits;
    bool set_is_white = true;
    // Only the band's rows are fetched: the rest of the surface is never
    // scanned, and a screen-sized copy would cost more than the scan.
    if (!read_rows(dc, bitmap, bitmap_w, bitmap_h, band.top, band.height(), bits, set_is_white))
        return nullptr;
    const BitImage image{bits, mono_stride(bitmap_w), bitmap_w, band.height(), true};
    const ScanWindow window{{band.left, 0, band.right, band.height()}, 0, band.top, set_is_white};
    return from_image(image, window);
}

} // namespace vx::osd
