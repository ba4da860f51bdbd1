// The classic and framed volume displays and the background window.
#include "core/volume_layout.h"
#include "display_window.h"
#include "osd_fixture.h"
#include "vxosd.h"

using namespace osdtest;
using vx::osd::state;
using vx::platform::SeamOverride;

namespace {

int WINAPI yes() { return 1; }
int WINAPI no() { return 0; }

class OsdVolume : public OsdTest {
protected:
    void SetUp() override
    {
        OsdTest::SetUp();
        set_number("Duration", 150);
        reload();
    }
    SeamOverride<int(WINAPI*)()> xp_{vx::osd::platform::os().IsWinXP, no};
    SeamOverride<int(WINAPI*)()> vista_{vx::osd::platform::os().IsWinVista, no};

    int cx() const { return GetSystemMetrics(SM_CXSCREEN); }
    int cy() const { return GetSystemMetrics(SM_CYSCREEN); }
    int work_bottom() const
    {
        RECT w;
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &w, 0);
        return w.bottom;
    }
};

vx::osd::VolumeShape classic(int cx, int cy, unsigned level, unsigned steps, unsigned maximum, bool vista = false)
{
    vx::osd::ClassicVolumeInput in;
    in.cx = cx;
    in.cy = cy;
    in.vista = vista;
    in.level = level;
    in.steps = steps;
    in.maximum = maximum;
    in.icon_width = 48;
    in.icon_height = 48;
    return vx::osd::classic_volume(in);
}

// The region holds every pixel of the rectangle.
bool region_covers(HRGN region, const vx::osd::Rect& r)
{
    HRGN rect = CreateRectRgn(r.left, r.top, r.right, r.bottom);
    HRGN outside = CreateRectRgn(0, 0, 0, 0);
    const int kind = CombineRgn(outside, rect, region, RGN_DIFF);
    DeleteObject(rect);
    DeleteObject(outside);
    return kind == NULLREGION;
}

// Region pixels inside a rectangle.
long long area_within(HRGN region, const RECT& r)
{
    HRGN rect = CreateRectRgnIndirect(&r);
    CombineRgn(rect, rect, region, RGN_AND);
    const long long a = region_area(rect);
    DeleteObject(rect);
    return a;
}

} // namespace

TEST_F(OsdVolume, ClassicBarsAreLitUpToTheLevelAndStubsAfter)
{
    for (unsigned level : {0u, 50u, 100u, 1000u}) {
        SCOPED_TRACE(level);
        EXPECT_EQ(1, OSD_ShowVolume(level, 0, 100));
        HRGN region = display_region();
        ASSERT_NE(nullptr, region);
        const auto shape = classic(cx(), cy(), level, 32, 100);
        ASSERT_EQ(32u, shape.rects.size()) << "steps 0 means 32";
        for (const auto& r : shape.rects)
            EXPECT_TRUE(region_covers(region, r));
        // Above an unlit stub nothing is lit.
        for (std::size_t k = shape.lit; k < shape.rects.size(); ++k) {
            const auto& stub = shape.rects[k];
            RECT above{stub.left, stub.bottom - 25 * cy() / 768, stub.right, stub.top};
            EXPECT_EQ(0, area_within(region, above)) << k;
        }
        // The icon's black pixels are in the region.
        RECT icon{shape.icon.left, shape.icon.top, shape.icon.right, shape.icon.bottom};
        EXPECT_GT(area_within(region, icon), 300);
        DeleteObject(region);
    }
    EXPECT_TRUE(display_visible());
    EXPECT_TRUE(pump_until([&] { return !display_visible(); }, 2000));
}

TEST_F(OsdVolume, VistaNarrowsTheClassicStride)
{
    SeamOverride<int(WINAPI*)()> vista(vx::osd::platform::os().IsWinVista, yes);
    OSD_ShowVolume(100, 32, 100);
    HRGN region = display_region();
    const auto shape = classic(cx(), cy(), 100, 32, 100, true);
    for (const auto& r : shape.rects)
        EXPECT_TRUE(region_covers(region, r));
    DeleteObject(region);
}

TEST_F(OsdVolume, FramedLayoutShowsFrameSegmentsAndCount)
{
    for (bool xp : {false, true}) {
        SeamOverride<int(WINAPI*)()> version(vx::osd::platform::os().IsWinXP, xp ? yes : no);
        for (unsigned level : {0u, 50u, 0xFFFFu}) {
            SCOPED_TRACE(testing::Message() << "xp " << xp << " level " << level);
            EXPECT_EQ(1, OSD_ShowVolumeEx(level, 32, 100, 0));
            HRGN region = display_region();
            ASSERT_NE(nullptr, region);
            vx::osd::FramedVolumeInput in;
            in.cx = cx();
            in.cy = cy();
            in.work_bottom = work_bottom();
            in.xp = xp;
            in.level = level;
            in.steps = 32;
            in.maximum = 100;
            in.icon_width = 48;
            in.icon_height = 48;
            const auto shape = vx::osd::framed_volume(in);
            for (const auto& r : shape.rects)
                EXPECT_TRUE(region_covers(region, r));
            // Digits right of the frame, ending at the number box's right edge plus "00".
            RECT digits{shape.rects.back().right, 0, cx(), work_bottom()};
            EXPECT_GT(area_within(region, digits), 20) << "the count is drawn";
            RECT box;
            GetRgnBox(region, &box);
            EXPECT_LE(box.bottom, work_bottom());
            DeleteObject(region);
        }
    }
}

TEST_F(OsdVolume, UndefinedTypeWritesItsDebugStringAndDrawsNoIcon)
{
    DebugCapture debug;
    EXPECT_EQ(1, OSD_ShowVolumeEx(50, 32, 100, 7));
    EXPECT_TRUE(debug.saw("Vxosd: undefined volume state"));
    HRGN region = display_region();
    const int a = cx() * 360 / 1024;
    RECT icon{a, work_bottom() - 48, a + 48, work_bottom()};
    EXPECT_EQ(0, area_within(region, icon));
    // The frame still starts where a 48-pixel icon would end.
    vx::osd::Rect left_edge{a + 48 + 3 * (cx() * 4 / 1024), 0, 0, 0};
    RECT edge{left_edge.left, work_bottom() - 48, left_edge.left + 1, work_bottom()};
    EXPECT_GT(area_within(region, edge), 0);
    DeleteObject(region);

    debug.clear();
    OSD_ShowVolumeEx(50, 32, 100, 1);
    EXPECT_FALSE(debug.saw("Vxosd: undefined volume state"));
    region = display_region();
    EXPECT_GT(area_within(region, icon), 100) << "type 1 shows the crossed loudspeaker";
    DeleteObject(region);
}

TEST_F(OsdVolume, OneStepOnXpAndHugeStepCountsAreSafe)
{
    SeamOverride<int(WINAPI*)()> version(vx::osd::platform::os().IsWinXP, yes);
    EXPECT_EQ(1, OSD_ShowVolumeEx(5, 1, 100, 0));
    EXPECT_EQ(1, OSD_ShowVolumeEx(5, 0xFFFFFFFFu, 0, 2));
    EXPECT_EQ(1, OSD_ShowVolume(5, 0xFFFFFFFFu, 0));
}

TEST_F(OsdVolume, BackgroundSitsBehindAndNeverShrinks)
{
    OSD_SetVolumeBkgColor(RGB(60, 60, 60));
    EXPECT_EQ(1, OSD_ShowVolumeEx(100, 12, 10, 0)); // "12": two digits
    HWND bkg = find_own_window("VX_OSD_BKGND_WNDCLASS", "VX_OSD_BKGND_WND");
    ASSERT_NE(nullptr, bkg);
    ASSERT_EQ(state().background, bkg);
    EXPECT_TRUE(IsWindowVisible(bkg));
    HRGN round = CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(ERROR, GetWindowRgn(bkg, round));
    RECT wr;
    GetWindowRect(bkg, &wr);
    EXPECT_FALSE(PtInRegion(round, 0, 0)) << "the corners are rounded";
    DeleteObject(round);

    // Shown twice to size it (the first resize records the width), then
    // with a one-digit count: the background keeps its width.
    OSD_ShowVolumeEx(100, 12, 10, 0);
    RECT wide;
    GetWindowRect(bkg, &wide);
    OSD_ShowVolumeEx(1, 12, 100, 0); // "1"
    RECT narrow;
    GetWindowRect(bkg, &narrow);
    EXPECT_EQ(wide.right - wide.left, narrow.right - narrow.left);

    // The hide timer hides both.
    EXPECT_TRUE(pump_until([&] { return !display_visible(); }, 2000));
    EXPECT_FALSE(IsWindowVisible(bkg));

    // A display change resets the widest width.
    SendMessageA(bkg, WM_DISPLAYCHANGE, 32, 0);
    EXPECT_EQ(0, state().widest_background);
}

TEST_F(OsdVolume, FirstBackgroundColourStaysForTheProcess)
{
    OSD_SetVolumeBkgColor(RGB(60, 60, 60));
    OSD_ShowVolume(10, 32, 100);
    WNDCLASSA wc{};
    ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "VX_OSD_BKGND_WNDCLASS", &wc));
    LOGBRUSH first{};
    GetObjectA(wc.hbrBackground, sizeof first, &first);
    OSD_Destroy();
    ASSERT_EQ(1, OSD_Init());
    EXPECT_EQ(RGB(1, 1, 1), OSD_SetVolumeBkgColor(RGB(1, 1, 1)));
    OSD_ShowVolume(10, 32, 100);
    ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "VX_OSD_BKGND_WNDCLASS", &wc));
    LOGBRUSH later{};
    GetObjectA(wc.hbrBackground, sizeof later, &later);
    EXPECT_EQ(first.lbColor, later.lbColor);
}
