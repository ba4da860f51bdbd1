// The lock-key and microphone indicator windows.
#include "osd_fixture.h"
#include "vxosd.h"

using namespace osdtest;
using vx::osd::state;

namespace {

class OsdIndicators : public OsdTest {
protected:
    void SetUp() override
    {
        OsdTest::SetUp();
        set_number("Duration", 150);
        reload();
    }
};

struct Expected {
    int (*show)(int, int, int) WINAPI;
    const char* cls;
    const char* title;
    const char* hidden;
};

const Expected kAll[] = {
    {OSD_ShowNumLk, "VX_OSD_NUMLK_WNDCLASS", "VX_OSD_NUMLK_WND", "NumLk OSD is hidden\n"},
    {OSD_ShowCapsLk, "VX_OSD_CAPSLK_WNDCLASS", "VX_OSD_CAPSLK_WND", "CapsLk OSD is hidden\n"},
    {OSD_ShowScrlLk, "VX_OSD_SCRLLK_WNDCLASS", "VX_OSD_SCRLLK_WND", "ScrlLk OSD is hidden\n"},
    {OSD_ShowMic, "VX_OSD_MIC_WNDCLASS", "VX_OSD_MIC_WND", "Mic OSD is hidden\n"},
};

} // namespace

TEST_F(OsdIndicators, CapsLockSitsAboveItsBottomLeftCornerAndStaysThere)
{
    EXPECT_NE(0, OSD_ShowCapsLk(100, 500, 1));
    HWND w = find_own_window("VX_OSD_CAPSLK_WNDCLASS", "VX_OSD_CAPSLK_WND");
    ASSERT_NE(nullptr, w);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ((RECT{100, 452, 148, 500}).left, r.left);
    EXPECT_EQ(452, r.top);
    EXPECT_EQ(148, r.right);
    EXPECT_EQ(500, r.bottom);
    EXPECT_TRUE(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_NE(0, OSD_ShowCapsLk(300, 300, 0));
    GetWindowRect(w, &r);
    EXPECT_EQ(100, r.left);
    EXPECT_EQ(452, r.top);
    EXPECT_FALSE(state().indicators[vx::osd::kCapsLock].state);

    // A screen change closes it at once; the next show places it anew and
    // stays up.
    SendMessageA(w, WM_DISPLAYCHANGE, 32, MAKELPARAM(800, 600));
    EXPECT_FALSE(IsWindow(w));
    EXPECT_NE(0, OSD_ShowCapsLk(300, 300, 1));
    pump(50);
    w = find_own_window("VX_OSD_CAPSLK_WNDCLASS", "VX_OSD_CAPSLK_WND");
    GetWindowRect(w, &r);
    EXPECT_EQ(300, r.left);
    EXPECT_EQ(252, r.top);
    EXPECT_TRUE(IsWindowVisible(w));
}

TEST_F(OsdIndicators, EachIndicatorHidesOnItsOwnTimer)
{
    DebugCapture debug;
    int x = 0;
    for (const Expected& e : kAll) {
        EXPECT_NE(0, e.show(x += 60, 200, 1)) << e.cls;
        HWND w = find_own_window(e.cls, e.title);
        ASSERT_NE(nullptr, w) << e.cls;
        EXPECT_TRUE(IsWindowVisible(w));
    }
    for (const Expected& e : kAll) {
        HWND w = find_own_window(e.cls, e.title);
        EXPECT_TRUE(pump_until([&] { return !IsWindowVisible(w); }, 2000)) << e.cls;
        EXPECT_TRUE(debug.saw(e.hidden)) << e.hidden;
        EXPECT_TRUE(IsWindow(w)) << "hidden, not destroyed";
    }
}

TEST_F(OsdIndicators, AnIndicatorHidesAVolumeDisplayAndItsBackground)
{
    OSD_SetVolumeBkgColor(RGB(30, 30, 30));
    OSD_ShowVolume(70, 32, 100);
    ASSERT_TRUE(display_visible());
    ASSERT_TRUE(IsWindowVisible(state().background));
    OSD_ShowNumLk(10, 100, 1);
    EXPECT_FALSE(display_visible());
    EXPECT_FALSE(IsWindowVisible(state().background));
    EXPECT_TRUE(state().display_showing) << "the flag and timer are left alone";
}

TEST_F(OsdIndicators, FramedVolumeHidesIndicatorsButClassicLeavesThem)
{
    OSD_ShowCapsLk(100, 500, 1);
    HWND caps = find_own_window("VX_OSD_CAPSLK_WNDCLASS", "VX_OSD_CAPSLK_WND");
    OSD_ShowVolume(50, 32, 100);
    EXPECT_TRUE(IsWindowVisible(caps));
    OSD_ShowVolumeEx(50, 32, 100, 0);
    EXPECT_FALSE(IsWindowVisible(caps));
}

TEST_F(OsdIndicators, DestroyLeavesNoClassAndEverythingWorksAgainAfterInit)
{
    OSD_SetVolumeBkgColor(RGB(30, 30, 30));
    OSD_ShowVolume(70, 32, 100);
    OSD_ShowMic(10, 300, 1);
    HWND first = find_own_window("VX_OSD_MIC_WNDCLASS", "VX_OSD_MIC_WND");
    UpdateWindow(first);
    OSD_Destroy();
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(nullptr, state().indicators[vx::osd::kMicrophone].memory_dc);
    EXPECT_EQ(nullptr, state().indicators[vx::osd::kMicrophone].on);
    for (const char* cls : {"VX_OSD_WNDCLASS", "VX_OSD_NUMLK_WNDCLASS", "VX_OSD_CAPSLK_WNDCLASS",
                            "VX_OSD_SCRLLK_WNDCLASS", "VX_OSD_MIC_WNDCLASS", "VX_OSD_BKGND_WNDCLASS"}) {
        WNDCLASSA wc{};
        EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), cls, &wc)) << cls;
    }
    ASSERT_EQ(1, OSD_Init());
    EXPECT_EQ(1, OSD_ShowMuteIcon(1));
    EXPECT_TRUE(display_visible());
    // No OSD_InitLockKey again: the indicator registers its class itself.
    EXPECT_NE(0, OSD_ShowMic(10, 300, 0));
    EXPECT_NE(nullptr, find_own_window("VX_OSD_MIC_WNDCLASS", "VX_OSD_MIC_WND"));
    EXPECT_NE(nullptr, state().indicators[vx::osd::kMicrophone].off);
}
