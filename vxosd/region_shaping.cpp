#include "region_shaping.h"

#include <algorithm>
#include <vector>

#include "core/region_runs.h"

namespace vx::osd {
namespace {

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

// One band's rectangles (same top and bottom, left to right) as a region.
HRGN band_region(std::span<const Rect> band)
{
    if (band.size() == 1)
        return CreateRectRgn(band[0].left, band[0].top, band[0].right, band[0].bottom);
    std::vector<std::uint8_t> buffer(sizeof(RGNDATAHEADER) + band.size() * sizeof(RECT));
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(band.size());
    data->rdh.nRgnSize = static_cast<DWORD>(band.size() * sizeof(RECT));
    data->rdh.rcBound = RECT{band.front().left, band.front().top, band.back().right, band.front().bottom};
    auto* out = reinterpret_cast<RECT*>(data->Buffer);
    for (std::size_t i = 0; i < band.size(); ++i)
        out[i] = RECT{band[i].left, band[i].top, band[i].right, band[i].bottom};
    return ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), data);
}

} // namespace

// ExtCreateRegion of a whole list costs time quadratic in its length on some
// systems (Wine unites the rectangles one by one), and so does appending band
// after band. Bands are made one by one and then united pairwise, so every
// rectangle takes part in about log2(bands) unions.
HRGN region_from_rects(std::span<const Rect> rects)
{
    std::vector<HRGN> level;
    bool failed = false;
    for (std::size_t i = 0; i < rects.size();) {
        std::size_t j = i + 1;
        while (j < rects.size() && rects[j].top == rects[i].top && rects[j].bottom == rects[i].bottom &&
               rects[j].left >= rects[j - 1].right)
            ++j;
        HRGN band = band_region(rects.subspan(i, j - i));
        if (!band)
            failed = true;
        else
            level.push_back(band);
        i = j;
    }
    while (level.size() > 1 && !failed) {
        std::vector<HRGN> next;
        next.reserve((level.size() + 1) / 2);
        for (std::size_t i = 0; i + 1 < level.size(); i += 2) {
            if (CombineRgn(level[i], level[i], level[i + 1], RGN_OR) == ERROR)
                failed = true;
            DeleteObject(level[i + 1]);
            next.push_back(level[i]);
        }
        if (level.size() % 2)
            next.push_back(level.back());
        level.swap(next);
    }
    if (failed) {
        for (HRGN r : level)
            DeleteObject(r);
        return nullptr;
    }
    return level.empty() ? CreateRectRgn(0, 0, 0, 0) : level.front();
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

bool bitmap_runs(HBITMAP bitmap, int x0, int y0, int src_w, int src_h, int dst_w, int dst_h, Inside inside,
                 std::vector<Rect>& out)
{
    if (!bitmap || dst_w <= 0 || dst_h <= 0)
        return false;
    HDC source = CreateCompatibleDC(nullptr);
    HDC target = CreateCompatibleDC(nullptr);
    HBITMAP stretched = target ? CreateCompatibleBitmap(target, dst_w, dst_h) : nullptr;
    bool made = false;
    if (source && target && stretched) {
        HGDIOBJ old_source = SelectObject(source, bitmap);
        HGDIOBJ old_target = SelectObject(target, stretched);
        StretchBlt(target, 0, 0, dst_w, dst_h, source, 0, 0, src_w, src_h, SRCCOPY);
        SelectObject(target, old_target);
        std::vector<std::uint8_t> bits;
        bool set_is_white = true;
        if (read_rows(target, stretched, dst_w, dst_h, 0, dst_h, bits, set_is_white)) {
            const BitImage image{bits, mono_stride(dst_w), dst_w, dst_h, true};
            const bool want_white = inside == Inside::White;
            append_runs(image, ScanWindow{{0, 0, dst_w, dst_h}, x0, y0, want_white == set_is_white}, out);
            made = true;
        }
        SelectObject(source, old_source);
    }
    if (stretched)
        DeleteObject(stretched);
    if (target)
        DeleteDC(target);
    if (source)
        DeleteDC(source);
    return made;
}

HRGN shape_from_bitmap(HBITMAP bitmap, int x0, int y0, int src_w, int src_h, int dst_w, int dst_h, Inside inside)
{
    std::vector<Rect> rects;
    return bitmap_runs(bitmap, x0, y0, src_w, src_h, dst_w, dst_h, inside, rects) ? region_from_rects(rects) : nullptr;
}

bool drawn_text_runs(HDC memory, const char* text, const Rect& draw, unsigned format, int width, const Rect& band,
                     std::vector<Rect>& out)
{
    if (band.empty() || width <= 0)
        return true;
    // A 1-bit DIB section, black 0 and white 1, read in place: no copy of
    // the bits through GetDIBits.
    MonoInfo info = mono_info(width, band.height());
    info.colors[1] = RGBQUAD{255, 255, 255, 0};
    void* bits = nullptr;
    HBITMAP surface =
        CreateDIBSection(memory, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!surface || !bits) {
        if (surface)
            DeleteObject(surface);
        return false;
    }
    HGDIOBJ old_bitmap = SelectObject(memory, surface);
    SetBkColor(memory, RGB(0, 0, 0));
    SetTextColor(memory, RGB(255, 255, 255));
    RECT all{0, 0, width, band.height()};
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    // The drawing moved up by the band's top: the band's rows land on the
    // surface's rows, every pixel where it would be on the whole drawing.
    RECT moved{draw.left, draw.top - band.top, draw.right, draw.bottom - band.top};
    DrawTextA(memory, text, -1, &moved, format);
    GdiFlush();
    const std::size_t size = mono_stride(width) * static_cast<std::size_t>(band.height());
    const BitImage image{{static_cast<const std::uint8_t*>(bits), size}, mono_stride(width), width, band.height(), true};
    append_runs(image, ScanWindow{{band.left, 0, band.right, band.height()}, 0, band.top, true}, out);
    SelectObject(memory, old_bitmap);
    DeleteObject(surface);
    return true;
}

HRGN shape_of_drawn_text(HDC memory, const char* text, const Rect& draw, unsigned format, int width,
                         const Rect& band)
{
    std::vector<Rect> rects;
    return drawn_text_runs(memory, text, draw, format, width, band, rects) ? region_from_rects(rects) : nullptr;
}

} // namespace vx::osd
