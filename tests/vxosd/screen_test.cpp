// What a person sees on a real (Xvfb) screen: the indicator pictures and
// the displays in the OSD colour, read back from the screen.
#include <iterator>
#include <vector>

#include "osd_module.h"
#include "osd_fixture.h"
#include "platform/monitor_seam.h"
#include "vxosd.h"

using namespace osdtest;
using vx::osd::state;

namespace {

// Screen pixels of a rectangle, 0x00RRGGBB, top row first.
std::vector<COLORREF> grab(const RECT& r)
{
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    std::vector<COLORREF> out(static_cast<const DWORD*>(bits), static_cast<const DWORD*>(bits) + w * h);
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return out;
}

// A 48 x 48 bitmap resource's pixels in the same form, drawn w x h: each
// picture pixel a block of whole screen pixels (nearest neighbour).
std::vector<COLORREF> picture(int id, int w, int h)
{
    HBITMAP bitmap = LoadBitmapA(vx::osd::this_module(), MAKEINTRESOURCEA(id));
    HDC screen = GetDC(nullptr);
    HDC source = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(source, bitmap);
    std::vector<COLORREF> out;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const COLORREF c = GetPixel(source, x * 48 / w, y * 48 / h);
            out.push_back(RGB(GetBValue(c), GetGValue(c), GetRValue(c))); // as 0x00RRGGBB
        }
    SelectObject(source, old);
    DeleteDC(source);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    return out;
}

int differences(const std::vector<COLORREF>& a, const std::vector<COLORREF>& b)
{
    int n = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        n += (a[i] & 0xFFFFFF) != (b[i] & 0xFFFFFF);
    return n + static_cast<int>(a.size() > b.size() ? a.size() - b.size() : b.size() - a.size());
}

class OsdScreen : public OsdTest {};

} // namespace

TEST_F(OsdScreen, MicrophoneStateOneShowsTheCrossedMicrophone)
{
    OSD_ShowMic(100, 300, 1);
    pump(200);
    // 48 x 48 logical pixels above the corner.
    const int size = px(48);
    const RECT where{100, 300 - size, 100 + size, 300};
    const auto shown = grab(where);
    EXPECT_EQ(0, differences(picture(115, size, size), shown));
    EXPECT_GT(differences(picture(114, size, size), shown), 50) << "not the plain microphone";

    OSD_ShowMic(100, 300, 0);
    pump(200);
    EXPECT_EQ(0, differences(picture(114, size, size), grab(where)));
}

TEST_F(OsdScreen, CapsLockPicturesFollowTheState)
{
    OSD_ShowCapsLk(300, 300, 1);
    pump(200);
    const int size = px(48);
    const RECT where{300, 300 - size, 300 + size, 300};
    EXPECT_EQ(0, differences(picture(106, size, size), grab(where)));
    OSD_ShowCapsLk(300, 300, 0);
    pump(200);
    EXPECT_EQ(0, differences(picture(108, size, size), grab(where)));
}

namespace {

// Every pixel of the display's region, at the window's place on the screen,
// shows `colour`, and so does no other pixel of `around` (screen
// coordinates; the region's box is always looked at); returns how many
// region pixels there are.
int expect_region_in_colour(COLORREF colour, RECT around = {})
{
    HRGN region = display_region();
    RECT window{}, box{};
    GetWindowRect(vx::osd::state().display, &window);
    if (!region || GetRgnBox(region, &box) == NULLREGION)
        return 0;
    OffsetRgn(region, window.left, window.top);
    OffsetRect(&box, window.left, window.top);
    UnionRect(&box, &box, &around);
    const auto shown = grab(box);
    const int w = box.right - box.left;
    const COLORREF want = RGB(GetBValue(colour), GetGValue(colour), GetRValue(colour)); // as 0x00RRGGBB
    int inside = 0, wrong = 0, stray = 0;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x) {
            const bool painted = (shown[static_cast<std::size_t>((y - box.top) * w + (x - box.left))] & 0xFFFFFF) == want;
            if (PtInRegion(region, x, y)) {
                ++inside;
                wrong += !painted;
            } else {
                stray += painted;
            }
        }
    EXPECT_EQ(0, wrong) << "every region pixel shows the OSD colour";
    EXPECT_EQ(0, stray) << "no pixel outside the region does";
    DeleteObject(region);
    return inside;
}

RECT region_box_on_screen()
{
    RECT window{}, box{};
    GetWindowRect(vx::osd::state().display, &window);
    if (HRGN region = display_region()) {
        GetRgnBox(region, &box);
        DeleteObject(region);
    }
    OffsetRect(&box, window.left, window.top);
    return box;
}

} // namespace

TEST_F(OsdScreen, DisplaysAppearInTheOsdColourExactlyOnTheirRegion)
{
    OSD_SetColor(RGB(255, 0, 255));
    OSD_ShowMuteIcon(1);
    pump(200);
    EXPECT_GT(expect_region_in_colour(RGB(255, 0, 255)), 500);
}

// A show paints all of its shape and leaves nothing of the one it replaces,
// whatever the two share: other texts, changed digits, another layout, fewer
// bars, a background, the same shape again.
TEST_F(OsdScreen, EachShowReplacesTheOneBeforeWithoutATrace)
{
    const COLORREF colour = RGB(255, 0, 255);
    OSD_SetColor(colour);
    void (*shows[])() = {
        [] { OSD_ShowMuteIcon(1); },
        [] { OSD_ShowMuteIcon(0); },
        [] { OSD_ShowString("Volume up: level 27%", nullptr, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT); },
        [] { OSD_ShowString("Volume up: level 34%", nullptr, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT); },
        [] { OSD_ShowVolume(0x9000, 32, 0xFFFF); },
        [] { OSD_ShowVolume(0x3000, 32, 0xFFFF); },
        [] { OSD_ShowVolume(0x3000, 32, 0xFFFF); },
        [] { OSD_ShowVolumeEx(0xFFFF, 32, 0xFFFF, 0); },
        [] {
            // The show that makes the background: the display stays above it.
            OSD_SetVolumeBkgColor(RGB(40, 40, 48));
            OSD_ShowVolumeEx(0x8000, 32, 0xFFFF, 0);
        },
        [] { OSD_ShowVolumeEx(0x8800, 32, 0xFFFF, 0); },
        [] { OSD_ShowVolumeEx(0x2000, 32, 0xFFFF, 1); },
        [] { OSD_ShowString("Caps", nullptr, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT); },
    };
    RECT before{};
    for (std::size_t i = 0; i < std::size(shows); ++i) {
        SCOPED_TRACE(testing::Message() << "show " << i);
        shows[i]();
        pump(150);
        EXPECT_GT(expect_region_in_colour(colour, before), 100);
        before = region_box_on_screen();
    }
}

namespace {

// Two monitors of different sizes on the one X screen, told through the
// monitor seam: the primary at the left, a smaller one at its right (or, as
// a test moves it, left of the primary at negative coordinates).
struct Monitors {
    RECT rect[2];
    RECT work[2];
    bool unplugged[2];
    int calls;
    UINT dpi[2]; // 0: the system's answer
};
Monitors g_monitors;

HMONITOR monitor_handle(int i) { return reinterpret_cast<HMONITOR>(static_cast<INT_PTR>(0x1000 + i)); }
HMONITOR monitor_at(POINT p)
{
    ++g_monitors.calls;
    return monitor_handle(PtInRect(&g_monitors.rect[1], p) ? 1 : 0);
}
HMONITOR WINAPI from_point(POINT p, DWORD) { return monitor_at(p); }
HMONITOR WINAPI from_window(HWND w, DWORD)
{
    RECT r{};
    GetWindowRect(w, &r);
    return monitor_at(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}
BOOL WINAPI monitor_info(HMONITOR m, LPMONITORINFO info)
{
    ++g_monitors.calls;
    const INT_PTR i = reinterpret_cast<INT_PTR>(m) - 0x1000;
    if (i < 0 || i > 1 || g_monitors.unplugged[i])
        return FALSE;
    info->rcMonitor = g_monitors.rect[i];
    info->rcWork = g_monitors.work[i];
    info->dwFlags = i == 0 ? MONITORINFOF_PRIMARY : 0;
    return TRUE;
}
HRESULT WINAPI monitor_dpi(HMONITOR m, int, UINT* x, UINT* y)
{
    const INT_PTR i = reinterpret_cast<INT_PTR>(m) - 0x1000;
    if (i < 0 || i > 1 || !g_monitors.dpi[i])
        return E_INVALIDARG;
    *x = *y = g_monitors.dpi[i];
    return S_OK;
}

class OsdMonitors : public OsdScreen {
protected:
    void SetUp() override
    {
        OsdScreen::SetUp();
        const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
        const int split = cx * 5 / 8;
        g_monitors = Monitors{{{0, 0, split, cy}, {split, 0, cx, cy * 3 / 4}},
                              {{0, 0, split, cy - 40}, {split, 0, cx, cy * 3 / 4}},
                              {false, false},
                              0,
                              {0, 0}};
    }
    vx::platform::ScopedSeam<vx::osd::platform::MonitorSeam> seam_{vx::osd::platform::monitors(),
                                                                   {from_window, from_point, monitor_info, monitor_dpi}};
    RECT window_rect() const
    {
        RECT r{};
        GetWindowRect(display(), &r);
        return r;
    }
};

} // namespace

TEST_F(OsdMonitors, MonitorZeroAsksNothingAndStaysOnThePrimaryScreen)
{
    OSD_SetVolumeBkgColor(RGB(30, 30, 30));
    OSD_ShowMuteIcon(1);
    OSD_ShowVolume(50, 32, 100);
    OSD_ShowVolumeEx(50, 32, 100, 0);
    OSD_ShowCapsLk(10, 100, 1);
    EXPECT_EQ(0, g_monitors.calls);
    EXPECT_EQ((RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}).right, window_rect().right);
}

TEST_F(OsdMonitors, DisplaysFollowThePointerWithThatMonitorsGeometry)
{
    ASSERT_EQ(1, OSD_SetMonitor(2));
    const RECT second = g_monitors.rect[1];
    const int w = second.right - second.left, h = second.bottom - second.top;
    ASSERT_TRUE(SetCursorPos(second.left + 10, 10));
    OSD_SetColor(RGB(255, 0, 255));
    OSD_SetVolumeBkgColor(RGB(30, 30, 30));

    OSD_ShowVolumeEx(50, 32, 100, 0);
    pump(200);
    EXPECT_TRUE(EqualRect(&second, &(const RECT&)window_rect()));
    EXPECT_GT(expect_region_in_colour(RGB(255, 0, 255)), 300);
    // The frame's left edge where a screen of this monitor's size puts it,
    // on its own work area's bottom.
    HRGN region = display_region();
    RECT box;
    GetRgnBox(region, &box);
    const int lw = logical(w), lh = logical(h);
    const int u = lw * 4 / 1024, bar = lh * 25 / 768;
    const int left = lw * 360 / 1024 + 48 + 3 * u, top = lh - 48 - (bar - 48) / 2;
    EXPECT_TRUE(PtInRegion(region, px(left), px(top + bar / 2))) << "left edge";
    EXPECT_FALSE(PtInRegion(region, px(left) - 1, px(top + bar / 2)));
    EXPECT_LE(box.bottom, h);
    EXPECT_GT(box.bottom, h - px(48));
    DeleteObject(region);
    RECT background;
    GetWindowRect(state().background, &background);
    EXPECT_GE(background.left, second.left) << "the background goes along";

    OSD_ShowCapsLk(40, 100, 1);
    RECT caps;
    GetWindowRect(find_own_window("VX_OSD_CAPSLK_WNDCLASS", "VX_OSD_CAPSLK_WND"), &caps);
    EXPECT_EQ(second.left + 40, caps.left);
    EXPECT_EQ(100 - px(48), caps.top);

    // Unplugged before the next show: the primary serves.
    g_monitors.unplugged[1] = true;
    OSD_ShowMuteIcon(0);
    EXPECT_TRUE(EqualRect(&g_monitors.rect[0], &(const RECT&)window_rect()));
    SetCursorPos(0, 0);
}

TEST_F(OsdMonitors, DisplaysFollowTheForegroundWindowAlsoLeftOfThePrimary)
{
    ASSERT_EQ(1, OSD_SetMonitor(1));
    // The second monitor left of the primary: negative coordinates.
    const int w = g_monitors.rect[1].right - g_monitors.rect[1].left;
    g_monitors.rect[1] = g_monitors.work[1] = RECT{-w, 0, 0, g_monitors.rect[1].bottom};
    HWND app = CreateWindowExA(0, "STATIC", "foreground", WS_POPUP | WS_VISIBLE, -w + 20, 20, 200, 100, nullptr,
                               nullptr, nullptr, nullptr);
    SetForegroundWindow(app);
    ASSERT_EQ(app, GetForegroundWindow());
    OSD_ShowCapsLk(40, 100, 1);
    OSD_ShowMuteIcon(1);
    EXPECT_TRUE(EqualRect(&g_monitors.rect[1], &(const RECT&)window_rect()));
    RECT caps;
    HWND indicator = find_own_window("VX_OSD_CAPSLK_WNDCLASS", "VX_OSD_CAPSLK_WND");
    GetWindowRect(indicator, &caps);
    EXPECT_EQ(-w + 40, caps.left);

    // The program moves to the primary monitor: the display and the
    // indicator go with it.
    SetWindowPos(app, nullptr, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    OSD_ShowVolume(50, 32, 100);
    OSD_ShowCapsLk(40, 100, 0);
    EXPECT_TRUE(EqualRect(&g_monitors.rect[0], &(const RECT&)window_rect()));
    GetWindowRect(indicator, &caps);
    EXPECT_EQ(40, caps.left);
    DestroyWindow(app);
}

namespace {

// Height of the display's region box.
int region_height()
{
    RECT box{};
    if (HRGN region = display_region()) {
        GetRgnBox(region, &box);
        DeleteObject(region);
    }
    return box.bottom - box.top;
}

} // namespace

// A second monitor of twice the primary's DPI (a per-monitor-aware host, as
// these tests are under Wine): what appears there is laid out for it.
TEST_F(OsdMonitors, ASecondMonitorOfTwiceTheDpiGetsEverythingTwiceAsLarge)
{
    const int dpi = 2 * screen_dpi();
    g_monitors.dpi[1] = static_cast<UINT>(dpi);
    auto px2 = [dpi](int logical) { return logical * dpi / 96; };
    const RECT second = g_monitors.rect[1];
    const int w = second.right - second.left, h = second.bottom - second.top;
    ASSERT_EQ(1, OSD_SetMonitor(2));

    // Text in a font twice as high.
    ASSERT_TRUE(SetCursorPos(10, 10));
    OSD_ShowString("Hello", nullptr, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT);
    const int primary_text = region_height();
    ASSERT_TRUE(SetCursorPos(second.left + 10, 10));
    OSD_ShowString("Hello", nullptr, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT);
    EXPECT_NEAR(2 * primary_text, region_height(), 3);

    // The framed loudspeaker's region is its picture with every pixel a
    // block of whole screen pixels, where the rules put it in logical units.
    OSD_ShowVolumeEx(50, 32, 100, 0);
    const int lw = w * 96 / dpi, lh = h * 96 / dpi;
    const int left = px2(lw * 360 / 1024), top = px2(lh - 48), size = px2(48);
    HBITMAP speaker = LoadBitmapA(vx::osd::this_module(), MAKEINTRESOURCEA(116));
    HDC source = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(source, speaker);
    HRGN region = display_region();
    int lit = 0, wrong = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const bool white = (GetPixel(source, x * 48 / size, y * 48 / size) & 0xFFFFFF) == 0xFFFFFF;
            const bool in = PtInRegion(region, left + x, top + y) != 0;
            lit += in;
            wrong += in != white;
        }
    EXPECT_EQ(0, wrong);
    EXPECT_GT(lit, 4 * 300);
    DeleteObject(region);
    SelectObject(source, old);
    DeleteDC(source);
    DeleteObject(speaker);

    // An indicator there is twice as large and shows its picture so.
    OSD_ShowCapsLk(40, 300, 1);
    pump(200);
    RECT caps;
    GetWindowRect(find_own_window("VX_OSD_CAPSLK_WNDCLASS", "VX_OSD_CAPSLK_WND"), &caps);
    EXPECT_EQ(size, caps.right - caps.left);
    EXPECT_EQ(300 - size, caps.top);
    EXPECT_EQ(0, differences(picture(106, size, size), grab(caps)));

    // Back on the primary it takes the primary's size again, its bottom-left
    // corner where the caller put it.
    ASSERT_TRUE(SetCursorPos(10, 10));
    OSD_ShowCapsLk(40, 300, 1);
    GetWindowRect(find_own_window("VX_OSD_CAPSLK_WNDCLASS", "VX_OSD_CAPSLK_WND"), &caps);
    EXPECT_EQ(px(48), caps.right - caps.left);
    EXPECT_EQ(40, caps.left);
    EXPECT_EQ(300, caps.bottom);
    SetCursorPos(0, 0);
}
