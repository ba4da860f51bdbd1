// The display window, its hide timer and the text display.
#include "display_window.h"
#include "string_table.h"
#include "osd_fixture.h"
#include "vxosd.h"

using namespace osdtest;
using vx::osd::state;

namespace {

class OsdDisplay : public OsdTest {
protected:
    void SetUp() override
    {
        OsdTest::SetUp();
        set_number("Duration", 150);
        reload();
    }
};

} // namespace

TEST_F(OsdDisplay, IsAHiddenScreenSizedToolWindow)
{
    HWND w = find_own_window("VX_OSD_WNDCLASS", "VX_OSD_WND");
    ASSERT_EQ(display(), w);
    EXPECT_FALSE(IsWindowVisible(w));
    EXPECT_TRUE(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(GetWindowLongA(w, GWL_STYLE) & WS_POPUP);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(0, r.left);
    EXPECT_EQ(0, r.top);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), r.right);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), r.bottom);
}

TEST_F(OsdDisplay, HideTimerHidesTheStringAfterTheDuration)
{
    DebugCapture debug;
    OSD_ShowString("Hello", nullptr, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT);
    EXPECT_TRUE(display_visible());
    EXPECT_TRUE(state().display_showing);
    HRGN r = display_region();
    ASSERT_NE(nullptr, r);
    EXPECT_GT(region_area(r), 50) << "the text's pixels form the region";
    DeleteObject(r);
    EXPECT_TRUE(pump_until([&] { return !display_visible(); }, 2000));
    EXPECT_FALSE(state().display_showing);
    EXPECT_TRUE(debug.saw("OSD is hidden\n"));
}

TEST_F(OsdDisplay, KeepShowingHoldsTheDisplayUntilReleased)
{
    OSD_ShowString("Hold", nullptr, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT);
    OSD_KeepShowing(1);
    pump(400);
    EXPECT_TRUE(display_visible());
    OSD_ShowString("Held too", nullptr, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT);
    pump(400);
    EXPECT_TRUE(display_visible()) << "a show while kept does not arm the timer";
    OSD_KeepShowing(0);
    EXPECT_TRUE(state().hide_timer_running);
    EXPECT_TRUE(pump_until([&] { return !display_visible(); }, 2000));
}

TEST_F(OsdDisplay, FromTheSeventhCallAVisibleStringIsNotReplaced)
{
    DebugCapture debug;
    for (int i = 0; i < 6; ++i) {
        char text[8];
        wsprintfA(text, "%d%d%d", i, i, i);
        OSD_ShowString(text, nullptr, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT);
    }
    EXPECT_FALSE(debug.saw("OSD is showing\n"));
    HRGN sixth = display_region();
    OSD_ShowString("a much longer seventh text", nullptr, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT);
    EXPECT_TRUE(debug.saw("OSD is showing\n"));
    HRGN after = display_region();
    EXPECT_TRUE(EqualRgn(sixth, after)) << "the seventh call drew nothing";
    DeleteObject(after);

    ASSERT_TRUE(pump_until([&] { return !display_visible(); }, 2000));
    debug.clear();
    OSD_ShowString("a much longer eighth text", nullptr, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT);
    EXPECT_FALSE(debug.saw("OSD is showing\n"));
    EXPECT_TRUE(display_visible());
    after = display_region();
    EXPECT_FALSE(EqualRgn(sixth, after));
    DeleteObject(after);
    DeleteObject(sixth);
}

TEST_F(OsdDisplay, DisabledDisplayDrawsNothingButIndicatorsStillShow)
{
    set_number("Enabled", 0);
    EXPECT_EQ(0, OSD_LoadSettings());
    OSD_ShowString("Hidden", nullptr, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT);
    EXPECT_EQ(0, OSD_ShowMuteIcon(1));
    EXPECT_EQ(0, OSD_ShowVolume(10, 32, 100));
    EXPECT_EQ(0, OSD_ShowVolumeEx(10, 32, 100, 0));
    EXPECT_FALSE(display_visible());
    EXPECT_NE(0, OSD_ShowCapsLk(10, 100, 1));
    EXPECT_TRUE(IsWindowVisible(find_own_window("VX_OSD_CAPSLK_WNDCLASS", "VX_OSD_CAPSLK_WND")));
}

TEST_F(OsdDisplay, CallerRectangleIsRewrittenForThisScreen)
{
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    RECT r{0, 0, 984, 728};
    OSD_ShowString("Rect", &r, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT);
    EXPECT_EQ(0, r.left);
    EXPECT_EQ(0, r.top);
    EXPECT_EQ(cx - (cx - 984) * cx / 1024, r.right);
    EXPECT_EQ(cy - (cy - 728) * cy / 768 - 20, r.bottom);
    if (cx == 1024 && cy == 768) {
        EXPECT_EQ(984, r.right);
        EXPECT_EQ(708, r.bottom);
    }
    // Right-aligned on the rewritten rectangle's bottom edge.
    HRGN region = display_region();
    RECT box;
    GetRgnBox(region, &box);
    EXPECT_LE(box.right, r.right);
    EXPECT_LE(box.bottom, r.bottom);
    EXPECT_GT(box.right, r.right - 10);
    DeleteObject(region);
}

TEST_F(OsdDisplay, TooWideTextIsCutAtTheLeftMargin)
{
    std::string wide(400, 'W');
    RECT r{0, 0, 1024, 768};
    OSD_ShowString(wide.c_str(), &r, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT);
    HRGN region = display_region();
    RECT box;
    GetRgnBox(region, &box);
    const int margin = GetSystemMetrics(SM_CXSCREEN) * 40 / 1024;
    EXPECT_GE(box.left, margin);
    EXPECT_LT(box.left, margin + 10) << "drawn from the left margin";
    DeleteObject(region);
}

TEST_F(OsdDisplay, HostileTextAndFormatsAreSafe)
{
    // Tabs that DT_EXPANDTABS widens far past the measured width: DrawTextA
    // on Windows would write its ellipsis into the caller's text if asked to.
    char text[] = "tabs\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\tend";
    const std::string before = text;
    OSD_ShowString(text, nullptr, DT_SINGLELINE | DT_EXPANDTABS | DT_END_ELLIPSIS | DT_MODIFYSTRING);
    EXPECT_EQ(before, text);
    EXPECT_TRUE(display_visible());

    // Nothing is drawn outside the screen, whatever the rectangle.
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT inverted{500, 500, -100, -100};
    RECT huge{0, 0, 0x7FFFFFFF, 0x7FFFFFFF};
    RECT* rects[] = {nullptr, &inverted, &huge};
    for (RECT* r : rects) {
        OSD_ShowString(r ? "x" : nullptr, r, DT_SINGLELINE);
        HRGN region = display_region();
        RECT box{};
        if (display_visible() && region && GetRgnBox(region, &box) != NULLREGION) {
            RECT inside;
            IntersectRect(&inside, &box, &screen);
            EXPECT_TRUE(EqualRect(&inside, &box)) << box.left << "," << box.top << "," << box.right << "," << box.bottom;
        }
        DeleteObject(region);
    }
    // No drawing surface can be made that wide: nothing is shown, and the
    // earlier text goes instead of staying up as if the call had worked.
    if (screen.right == 1024) {
        OSD_ShowString("earlier", nullptr, DT_SINGLELINE);
        OSD_ShowString("x", &huge, DT_SINGLELINE);
        EXPECT_FALSE(display_visible());
        EXPECT_FALSE(state().display_showing);
    }
}

TEST_F(OsdDisplay, ClickingADisplayNeverTakesTheFocus)
{
    OSD_SetVolumeBkgColor(RGB(40, 40, 40));
    OSD_ShowVolume(50, 32, 100);
    OSD_ShowCapsLk(100, 500, 1);
    for (HWND w : {display(), state().background, find_own_window("VX_OSD_CAPSLK_WNDCLASS", "VX_OSD_CAPSLK_WND")}) {
        ASSERT_TRUE(IsWindow(w));
        EXPECT_EQ(MA_NOACTIVATE, SendMessageA(w, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(GetDesktopWindow()),
                                              MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)));
    }
}

TEST_F(OsdDisplay, DisplayChangeClosesTheWindowsAndTheNextShowRecreates)
{
    OSD_SetVolumeBkgColor(RGB(40, 40, 40));
    OSD_ShowVolume(50, 32, 100);
    HWND old_display = display();
    HWND old_background = state().background;
    ASSERT_TRUE(IsWindow(old_background));
    SendMessageA(old_display, WM_DISPLAYCHANGE, 32, MAKELPARAM(800, 600));
    pump(50);
    EXPECT_FALSE(IsWindow(old_display));
    EXPECT_FALSE(IsWindow(old_background));
    OSD_ShowMuteIcon(0);
    EXPECT_TRUE(IsWindow(display()));
    EXPECT_TRUE(display_visible());
}

TEST_F(OsdDisplay, MuteTextFollowsTheThreadLanguage)
{
    char text[64];
    const LCID saved = GetThreadLocale();
    struct Case {
        LCID locale;
        const char* muted;
        const char* unmuted;
    } cases[] = {{1031, "Stumm ein", "Stumm aus"},          {1033, "Mute On", "Mute Off"},
                 {1036, "Muet actif", "Muet inactif"},      {1040, "Audio attivo", "Audio disatt"},
                 {1046, "Mute On", "Mute Off"},             {3082, "Silencio activado", "Silencio desactivado"},
                 {1034, "Silencio activado", "Silencio desactivado"}, // another Spanish
                 {1041, "Mute On", "Mute Off"}};                    // no Japanese table: English
    for (const Case& c : cases) {
        SetThreadLocale(c.locale);
        vx::osd::load_string(1, text, sizeof text);
        EXPECT_STREQ(c.muted, text) << c.locale;
        vx::osd::load_string(2, text, sizeof text);
        EXPECT_STREQ(c.unmuted, text) << c.locale;
    }
    SetThreadLocale(saved);
    char tiny[5];
    EXPECT_EQ(4, vx::osd::load_string_in(1033, 2, tiny, sizeof tiny));
    EXPECT_STREQ("Mute", tiny);
}
