// The classic and framed volume displays and the background window.
#include "display_window.h"
#include "osd_fixture.h"
#include "vxosd.h"

using namespace osdtest;
using vx::osd::state;
using vx::platform::SeamOverride;

namespace {

int WINAPI yes() { return 1; }
int WINAPI no() { return 0; }

// Both layouts written out for the screens the tests run on (48 x 48 icons),
// in logical units: at another DPI they are drawn that much larger.
struct Geometry {
    int cx, cy;
    // Classic: the icon, the first bar's left, top and bottom, the unit and
    // the stride (Vista's wider reserve gives a narrower one).
    RECT icon;
    int bar_left, bar_top, bar_bottom, unit, stride, vista_stride;
    // Framed, counted from the work area's bottom: the frame's top and bottom;
    // per variant (normal, XP) the left edge and the segment unit.
    int frame_top, frame_bottom;
    int frame_left[2], frame_unit[2];
};
constexpr Geometry kGeometries[] = {
    {1024, 768, {352, 662, 400, 710}, 412, 673, 698, 4, 9, 7, -37, -12, {420, 424}, {4, 8}},
    {1280, 1024, {440, 891, 500, 955}, 515, 906, 939, 5, 11, 9, -41, -8, {513, 518}, {5, 10}},
};
constexpr int kEdge = 2; // the frame's edge on both screens, both variants

class OsdVolume : public OsdTest {
protected:
    void SetUp() override
    {
        OsdTest::SetUp();
        set_number("Duration", 150);
        reload();
        for (const Geometry& g : kGeometries)
            if (g.cx == logical_cx() && g.cy == logical_cy())
                g_ = &g;
    }
    SeamOverride<int(WINAPI*)()> xp_{vx::osd::platform::os().IsWinXP, no};
    SeamOverride<int(WINAPI*)()> vista_{vx::osd::platform::os().IsWinVista, no};
    const Geometry* g_ = nullptr;

    int cx() const { return GetSystemMetrics(SM_CXSCREEN); }
    int work_bottom() const
    {
        RECT w;
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &w, 0);
        return w.bottom;
    }
    int logical_work_bottom() const { return logical(work_bottom()); }
};

#define NEED_GEOMETRY()                                                                     \
    if (!g_)                                                                                \
        GTEST_SKIP() << "no written-out geometry for this screen size";

// Region pixels inside a rectangle.
long long area_within(HRGN region, const RECT& r)
{
    HRGN rect = CreateRectRgnIndirect(&r);
    CombineRgn(rect, rect, region, RGN_AND);
    const long long a = region_area(rect);
    DeleteObject(rect);
    return a;
}

long long area(const RECT& r) { return static_cast<long long>(r.right - r.left) * (r.bottom - r.top); }
bool covers(HRGN region, const RECT& r) { return area_within(region, r) == area(r); }

} // namespace

TEST_F(OsdVolume, ClassicBarsAreLitUpToTheLevelAndStubsAfter)
{
    NEED_GEOMETRY();
    // Maximum 100 in 32 steps: the threshold step is 100 / 32 = 3.
    const struct {
        unsigned level, lit;
    } cases[] = {{0, 0}, {50, 17}, {100, 32}, {1000, 32}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.level);
        EXPECT_EQ(1, OSD_ShowVolume(c.level, 0, 100));
        HRGN region = display_region();
        ASSERT_NE(nullptr, region);
        for (unsigned k = 0; k < 32; ++k) {
            const int x = g_->bar_left + static_cast<int>(k) * g_->stride;
            const RECT stub = px(RECT{x, g_->bar_bottom - g_->unit, x + g_->unit, g_->bar_bottom});
            const RECT above = px(RECT{x, g_->bar_top, x + g_->unit, g_->bar_bottom - g_->unit});
            EXPECT_TRUE(covers(region, stub)) << k;
            EXPECT_EQ(k < c.lit ? area(above) : 0, area_within(region, above)) << k;
        }
        const RECT after{px(g_->bar_left + 31 * g_->stride + g_->unit), 0, cx(), px(g_->bar_bottom)};
        EXPECT_EQ(0, area_within(region, after)) << "no 33rd bar";
        EXPECT_GT(area_within(region, px(g_->icon)), px(px(300))) << "the loudspeaker's black pixels";
        DeleteObject(region);
    }
    EXPECT_TRUE(display_visible());
    EXPECT_TRUE(pump_until([&] { return !display_visible(); }, 2000));
}

TEST_F(OsdVolume, VistaNarrowsTheClassicStride)
{
    NEED_GEOMETRY();
    SeamOverride<int(WINAPI*)()> vista(vx::osd::platform::os().IsWinVista, yes);
    OSD_ShowVolume(100, 32, 100);
    HRGN region = display_region();
    const int last = g_->bar_left + 31 * g_->vista_stride;
    EXPECT_TRUE(covers(region, px(RECT{last, g_->bar_top, last + g_->unit, g_->bar_bottom})));
    DeleteObject(region);
}

TEST_F(OsdVolume, FramedLayoutShowsFrameSegmentsAndCount)
{
    NEED_GEOMETRY();
    const int y = logical_work_bottom() + g_->frame_top;
    const int z = logical_work_bottom() + g_->frame_bottom;
    for (int xp : {0, 1}) {
        SeamOverride<int(WINAPI*)()> version(vx::osd::platform::os().IsWinXP, xp ? yes : no);
        const int x0 = g_->frame_left[xp];
        const int u = g_->frame_unit[xp];
        // Threshold 100 / 32 = 3, on XP 100 / 31 = 3.
        const struct {
            unsigned level, lit;
        } cases[] = {{0, 0}, {50, 17}, {0xFFFF, 32}};
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << "xp " << xp << " level " << c.level);
            EXPECT_EQ(1, OSD_ShowVolumeEx(c.level, 32, 100, 0));
            HRGN region = display_region();
            ASSERT_NE(nullptr, region);
            const int x_end = x0 + 32 * u;
            EXPECT_TRUE(covers(region, px(RECT{x0, y, x0 + kEdge, z}))) << "left edge";
            EXPECT_TRUE(covers(region, px(RECT{x_end, y, x_end + kEdge, z}))) << "right edge";
            for (unsigned k = 0; k < 32; ++k) {
                const int x = x0 + static_cast<int>(k) * u;
                EXPECT_TRUE(covers(region, px(RECT{x, y, x + u, y + kEdge}))) << k;
                EXPECT_TRUE(covers(region, px(RECT{x, z - kEdge, x + u, z}))) << k;
                const RECT inside = px(RECT{k ? x : x0 + kEdge, y + kEdge, x + u, z - kEdge});
                EXPECT_EQ(k < c.lit ? area(inside) : 0, area_within(region, inside)) << k;
            }
            EXPECT_GT(area_within(region, RECT{px(x_end + kEdge), 0, cx(), work_bottom()}), 20) << "the count is drawn";
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
    const int a = logical_cx() * 360 / 1024;
    const int bottom = logical_work_bottom();
    const RECT icon = px(RECT{a, bottom - 48, a + 48, bottom});
    EXPECT_EQ(0, area_within(region, icon));
    // The frame still starts where a 48-pixel icon would end.
    const int left_edge = a + 48 + 3 * (logical_cx() * 4 / 1024);
    const RECT edge = px(RECT{left_edge, bottom - 48, left_edge + 1, bottom});
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
    // Directly behind the display among this process's windows (other test
    // programs of the prefix may put their own windows in between).
    HWND behind = GetWindow(display(), GW_HWNDNEXT);
    DWORD pid = 0;
    while (behind && (GetWindowThreadProcessId(behind, &pid), pid != GetCurrentProcessId()))
        behind = GetWindow(behind, GW_HWNDNEXT);
    EXPECT_EQ(bkg, behind) << "directly behind the display";
    HRGN round = CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(ERROR, GetWindowRgn(bkg, round));
    RECT wr;
    GetWindowRect(bkg, &wr);
    EXPECT_FALSE(PtInRegion(round, 0, 0)) << "the corners are rounded";
    DeleteObject(round);

    // A narrower display next (4 steps, one digit): the background keeps
    // the width it was made with.
    RECT wide;
    GetWindowRect(bkg, &wide);
    OSD_ShowVolumeEx(1, 4, 100, 0);
    RECT narrow;
    GetWindowRect(bkg, &narrow);
    EXPECT_EQ(wide.right - wide.left, narrow.right - narrow.left);
    EXPECT_EQ(bkg, GetWindow(display(), GW_HWNDNEXT));
    OSD_ShowVolume(1, 12, 100);
    EXPECT_EQ(bkg, GetWindow(display(), GW_HWNDNEXT)) << "the classic layout keeps it behind too";

    // The hide timer hides both.
    EXPECT_TRUE(pump_until([&] { return !display_visible(); }, 2000));
    EXPECT_FALSE(IsWindowVisible(bkg));

    // A display change resets the widest width.
    SendMessageA(bkg, WM_DISPLAYCHANGE, 32, 0);
    EXPECT_EQ(0, state().widest_background);
}

TEST_F(OsdVolume, FirstBackgroundColourStaysUntilDestroy)
{
    auto class_colour = []() -> COLORREF {
        WNDCLASSA wc{};
        LOGBRUSH lb{};
        if (!GetClassInfoA(GetModuleHandleA(nullptr), "VX_OSD_BKGND_WNDCLASS", &wc))
            return CLR_INVALID;
        GetObjectA(wc.hbrBackground, sizeof lb, &lb);
        return lb.lbColor;
    };
    OSD_SetVolumeBkgColor(RGB(60, 60, 60));
    OSD_ShowVolume(10, 32, 100);
    EXPECT_EQ(RGB(60, 60, 60), class_colour());
    EXPECT_EQ(RGB(1, 1, 1), OSD_SetVolumeBkgColor(RGB(1, 1, 1)));
    SendMessageA(display(), WM_DISPLAYCHANGE, 32, 0); // closes the background
    pump(50);
    OSD_ShowVolume(10, 32, 100);
    EXPECT_EQ(RGB(60, 60, 60), class_colour()) << "a new background window, the class's first brush";
    OSD_Destroy();
    EXPECT_EQ(CLR_INVALID, class_colour()) << "unregistered";
    ASSERT_EQ(1, OSD_Init());
    OSD_ShowVolume(10, 32, 100);
    EXPECT_EQ(RGB(1, 1, 1), class_colour());
}
