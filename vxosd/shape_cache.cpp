#include "shape_cache.h"

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "osd_module.h"

namespace vx::osd {
namespace {

// A picture stretched to one size, its runs placed at (0, 0).
struct PictureShape {
    int width = 0;
    int height = 0;
    Inside inside = Inside::Black;
    std::vector<Rect> runs;
};

struct Picture {
    int id = 0;
    SIZE size{};
    std::vector<PictureShape> shapes;
};

// A text in one font: its extent, and its shape at the geometry last asked.
struct TextEntry {
    LOGFONTA font{};
    std::string text;
    bool measured = false;
    SIZE extent{};
    bool shaped = false;
    Rect draw;
    unsigned format = 0;
    int width = 0;
    Rect band;
    std::vector<Rect> runs;
    unsigned long long used = 0;
};

// Sizes per picture (one per screen size met) and texts kept; beyond them
// the oldest goes. A host's texts are few; any others are drawn anew.
constexpr std::size_t kShapesPerPicture = 4;
constexpr std::size_t kTexts = 32;

struct Cache {
    std::vector<Picture> pictures;
    std::vector<TextEntry> texts;
    unsigned long long clock = 0;
};

Cache& cache()
{
    static Cache c;
    return c;
}

bool same_font(const LOGFONTA& a, const LOGFONTA& b)
{
    return std::memcmp(&a, &b, offsetof(LOGFONTA, lfFaceName)) == 0 &&
           std::strncmp(a.lfFaceName, b.lfFaceName, LF_FACESIZE) == 0;
}

// A memory DC compatible with the screen with `font` selected (the DC's own
// font when the font cannot be made), as the shapes were always drawn. What
// is drawn in the DC's own font is not kept: it is not the requested font's.
class FontDC {
public:
    explicit FontDC(const LOGFONTA& font) : dc_(CreateCompatibleDC(nullptr)), font_(CreateFontIndirectA(&font))
    {
        if (dc_ && font_)
            old_ = SelectObject(dc_, font_);
    }
    ~FontDC()
    {
        if (old_)
            SelectObject(dc_, old_);
        if (font_)
            DeleteObject(font_);
        if (dc_)
            DeleteDC(dc_);
    }
    FontDC(const FontDC&) = delete;
    FontDC& operator=(const FontDC&) = delete;
    HDC get() const { return dc_; }
    bool has_font() const { return old_ != nullptr; }

private:
    HDC dc_;
    HFONT font_;
    HGDIOBJ old_ = nullptr;
};

Picture* find_picture(int id)
{
    for (Picture& picture : cache().pictures) {
        if (picture.id == id)
            return &picture;
    }
    HBITMAP bitmap = LoadBitmapA(this_module(), MAKEINTRESOURCEA(id));
    BITMAP info{};
    const bool loaded = bitmap && GetObjectA(bitmap, sizeof info, &info);
    if (bitmap)
        DeleteObject(bitmap);
    if (!loaded)
        return nullptr;
    cache().pictures.push_back(Picture{id, SIZE{info.bmWidth, info.bmHeight}, {}});
    return &cache().pictures.back();
}

const PictureShape* find_shape(Picture& picture, int width, int height, Inside inside)
{
    for (const PictureShape& shape : picture.shapes) {
        if (shape.width == width && shape.height == height && shape.inside == inside)
            return &shape;
    }
    HBITMAP bitmap = LoadBitmapA(this_module(), MAKEINTRESOURCEA(picture.id));
    PictureShape shape{width, height, inside, {}};
    const bool made =
        bitmap_runs(bitmap, 0, 0, picture.size.cx, picture.size.cy, width, height, inside, shape.runs);
    if (bitmap)
        DeleteObject(bitmap);
    if (!made)
        return nullptr;
    if (picture.shapes.size() >= kShapesPerPicture)
        picture.shapes.erase(picture.shapes.begin());
    picture.shapes.push_back(std::move(shape));
    return &picture.shapes.back();
}

TextEntry& find_text(const LOGFONTA& font, const char* text)
{
    Cache& c = cache();
    ++c.clock;
    TextEntry* oldest = nullptr;
    for (TextEntry& entry : c.texts) {
        if (same_font(entry.font, font) && entry.text == text) {
            entry.used = c.clock;
            return entry;
        }
        if (!oldest || entry.used < oldest->used)
            oldest = &entry;
    }
    TextEntry fresh;
    fresh.font = font;
    fresh.text = text;
    fresh.used = c.clock;
    if (c.texts.size() < kTexts) {
        c.texts.push_back(std::move(fresh));
        return c.texts.back();
    }
    *oldest = std::move(fresh);
    return *oldest;
}

} // namespace

bool picture_size(int id, SIZE& size)
{
    const Picture* picture = find_picture(id);
    if (!picture)
        return false;
    size = picture->size;
    return true;
}

HRGN picture_shape(int id, const Rect& target, Inside inside)
{
    Picture* picture = find_picture(id);
    if (!picture || target.empty())
        return nullptr;
    const PictureShape* shape = find_shape(*picture, target.width(), target.height(), inside);
    if (!shape)
        return nullptr;
    HRGN region = region_from_rects(shape->runs);
    if (region)
        OffsetRgn(region, target.left, target.top);
    return region;
}

SIZE text_extent(const LOGFONTA& font, const char* text)
{
    TextEntry& entry = find_text(font, text);
    if (!entry.measured) {
        FontDC dc(font);
        if (!dc.get())
            return SIZE{};
        SIZE extent{};
        GetTextExtentPoint32A(dc.get(), text, lstrlenA(text), &extent);
        if (!dc.has_font())
            return extent;
        entry.extent = extent;
        entry.measured = true;
    }
    return entry.extent;
}

HRGN text_shape(const LOGFONTA& font, const char* text, const Rect& draw, unsigned format, int width,
                const Rect& band)
{
    TextEntry& entry = find_text(font, text);
    if (!entry.shaped || !(entry.draw == draw) || entry.format != format || entry.width != width ||
        !(entry.band == band)) {
        FontDC dc(font);
        std::vector<Rect> runs;
        if (!dc.get() || !drawn_text_runs(dc.get(), text, draw, format, width, band, runs))
            return nullptr;
        if (!dc.has_font())
            return region_from_rects(runs);
        entry.shaped = true;
        entry.draw = draw;
        entry.format = format;
        entry.width = width;
        entry.band = band;
        entry.runs = std::move(runs);
    }
    return region_from_rects(entry.runs);
}

void clear_shape_cache() { cache() = Cache{}; }

std::size_t kept_texts()
{
    std::size_t n = 0;
    for (const TextEntry& entry : cache().texts)
        n += entry.measured || entry.shaped ? 1 : 0;
    return n;
}

} // namespace vx::osd
