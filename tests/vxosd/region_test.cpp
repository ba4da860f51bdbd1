// The run-length shapes are exactly the per-pixel reference on real GDI
// drawing: stretched icons of either colour, and text bands in several fonts;
// so are the shapes the displays keep between shows, asked for anew and
// again.
#include "core/text_layout.h"
#include "osd_fixture.h"
#include "osd_module.h"
#include "per_pixel_reference.h"
#include "shape_cache.h"
#include "vxosd.h"

#include <vector>

using namespace osdtest;
using vx::osd::Inside;
using vx::osd::Rect;

namespace {

// Same region, stored identically too (both end in the same banded
// rectangles), and not trivially empty.
void expect_same(HRGN fast, HRGN reference, long long min_area)
{
    ASSERT_NE(nullptr, fast);
    EXPECT_TRUE(EqualRgn(reference, fast));
    EXPECT_EQ(GetRegionData(reference, 0, nullptr), GetRegionData(fast, 0, nullptr));
    EXPECT_GE(region_area(fast), min_area);
    DeleteObject(fast);
    DeleteObject(reference);
}

} // namespace

TEST(OsdRegions, IconShapesOfEitherColourAtEveryScale)
{
    struct Size {
        int w, h;
    } sizes[] = {{48, 48}, {60, 64}, {180, 135}, {37, 20}};
    for (int id : {101, 102, 113, 116}) {
        HBITMAP bitmap = LoadBitmapA(vx::osd::this_module(), MAKEINTRESOURCEA(id));
        ASSERT_NE(nullptr, bitmap) << id;
        for (const Size& s : sizes) {
            for (bool white : {false, true}) {
                SCOPED_TRACE(testing::Message() << id << " " << s.w << "x" << s.h << (white ? " white" : " black"));
                const Inside inside = white ? Inside::White : Inside::Black;
                expect_same(vx::osd::shape_from_bitmap(bitmap, 13, -7, 48, 48, s.w, s.h, inside),
                            per_pixel_bitmap_shape(bitmap, 13, -7, 48, 48, s.w, s.h, white), 20);
                for (int twice = 0; twice < 2; ++twice)
                    expect_same(vx::osd::picture_shape(id, Rect{13, -7, 13 + s.w, -7 + s.h}, inside),
                                per_pixel_bitmap_shape(bitmap, 13, -7, 48, 48, s.w, s.h, white), 20);
            }
        }
        DeleteObject(bitmap);
    }
}

TEST(OsdRegions, TextBandsInSeveralFonts)
{
    struct Font {
        const char* face;
        int height;
        int weight;
        BYTE italic;
    } fonts[] = {{"Arial", -37, FW_NORMAL, 0},
                 {"Arial", -12, FW_BOLD, 0},
                 {"Times New Roman", -60, FW_NORMAL, 1},
                 {"Courier New", -28, FW_NORMAL, 0}};
    const char* texts[] = {"Volume 20 characters", "Text long enough to be cut at the left margin of its rectangle"};
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    for (const Font& f : fonts) {
        LOGFONTA lf{};
        lf.lfHeight = f.height;
        lf.lfWeight = f.weight;
        lf.lfItalic = f.italic;
        lstrcpynA(lf.lfFaceName, f.face, LF_FACESIZE);
        HFONT font = CreateFontIndirectA(&lf);
        HGDIOBJ old = SelectObject(memory, font);
        for (const char* text : texts) {
            SCOPED_TRACE(testing::Message() << f.face << " " << f.height << " " << text);
            SIZE extent{};
            GetTextExtentPoint32A(memory, text, lstrlenA(text), &extent);
            // Where the text display and the framed count put their bands.
            vx::osd::TextLayoutInput in;
            in.rect = {0, 0, 700, 400};
            in.cx = 1024;
            in.cy = 768;
            in.text_width = extent.cx;
            in.text_height = extent.cy;
            in.has_icon = true;
            in.bitmap_width = 48;
            in.bitmap_height = 48;
            in.format = DT_SINGLELINE | DT_BOTTOM | DT_RIGHT;
            const auto l = vx::osd::layout_text(in);
            expect_same(vx::osd::shape_of_drawn_text(memory, text, l.draw, l.format, l.bitmap_width, l.band),
                        per_pixel_text_shape(memory, text, l.draw, l.format, l.bitmap_width, l.band), 100);
            for (int twice = 0; twice < 2; ++twice)
                expect_same(vx::osd::text_shape(lf, text, l.draw, l.format, l.bitmap_width, l.band),
                            per_pixel_text_shape(memory, text, l.draw, l.format, l.bitmap_width, l.band), 100);
            SIZE digits{};
            GetTextExtentPoint32A(memory, "00", 2, &digits);
            const auto n = vx::osd::layout_number(572, 738, digits.cx, digits.cy, 1024);
            expect_same(vx::osd::shape_of_drawn_text(memory, "27", n.draw, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT,
                                                     n.bitmap_width, n.band),
                        per_pixel_text_shape(memory, "27", n.draw, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT,
                                             n.bitmap_width, n.band),
                        20);
        }
        SelectObject(memory, old);
        DeleteObject(font);
    }
    DeleteDC(memory);
}

// A text measured while its font cannot be made (every GDI handle but the
// measuring DC's is taken) is measured in the DC's own font and not kept
// under the asked font; a display window made anew (none heard of fonts
// added or removed meanwhile) forgets every text.
class OsdKeptShapes : public OsdTest {};

TEST_F(OsdKeptShapes, AreOnlyThoseOfTheAskedFontAndGoWithTheWindow)
{
    vx::osd::clear_shape_cache();
    LOGFONTA font{};
    font.lfHeight = -60;
    lstrcpynA(font.lfFaceName, "Arial", LF_FACESIZE);
    const char* text = "Wide text";
    std::vector<HRGN> taken;
    while (HRGN r = CreateRectRgn(0, 0, 1, 1)) {
        taken.push_back(r);
        if (taken.size() > 200000)
            break;
    }
    ASSERT_LE(taken.size(), 200000u) << "GDI handles without limit";
    DeleteObject(taken.back());
    taken.pop_back();
    const SIZE fallback = vx::osd::text_extent(font, text);
    for (HRGN r : taken)
        DeleteObject(r);
    EXPECT_EQ(0u, vx::osd::kept_texts());

    HDC dc = CreateCompatibleDC(nullptr);
    HFONT made = CreateFontIndirectA(&font);
    HGDIOBJ old = SelectObject(dc, made);
    SIZE real{};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &real);
    SelectObject(dc, old);
    DeleteObject(made);
    DeleteDC(dc);
    EXPECT_NE(real.cx, fallback.cx);
    EXPECT_EQ(real.cx, vx::osd::text_extent(font, text).cx);
    EXPECT_EQ(1u, vx::osd::kept_texts());

    OSD_ShowMuteIcon(1);
    SendMessageA(display(), WM_DISPLAYCHANGE, 32, MAKELPARAM(800, 600));
    EXPECT_EQ(2u, vx::osd::kept_texts()) << "the mute text too";
    OSD_ShowVolume(10, 32, 100);
    EXPECT_EQ(0u, vx::osd::kept_texts());
}
