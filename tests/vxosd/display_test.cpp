// The display window, its hide timer, the text display, and what the
// opt-in settings change about every show: full-screen programs and
// announcements to screen readers.
#include <oleacc.h>

#include <string>
#include <vector>

#include "accessible_text.h"
#include "announcer.h"
#include "display_window.h"
#include "osd_fixture.h"
#include "platform/accessibility_seam.h"
#include "platform/desktop_seam.h"
#include "string_table.h"
#include "vxosd.h"

using namespace osdtest;
using vx::osd::state;
using vx::platform::SeamOverride;

namespace {

int g_state_queries = 0;
QUERY_USER_NOTIFICATION_STATE g_notification_state = QUNS_ACCEPTS_NOTIFICATIONS;
HRESULT WINAPI notification_state(QUERY_USER_NOTIFICATION_STATE* state)
{
    ++g_state_queries;
    *state = g_notification_state;
    return S_OK;
}

// The program in the foreground, as the desktop seam reports it.
HWND g_foreground = nullptr;
HWND WINAPI foreground_window() { return g_foreground; }

// Composition state queries; the desktop is reported composed.
int g_composition_queries = 0;
HRESULT WINAPI composition_enabled(BOOL* composed)
{
    ++g_composition_queries;
    *composed = TRUE;
    return S_OK;
}

// A screen reader's view, by NVDA's published rules: an event from a window
// outside the foreground application counts only if the window or its root
// is top-most when the event is handled, and an alert is spoken only for an
// object of role ROLE_SYSTEM_ALERT. What is spoken is the object's name.
std::vector<std::wstring> g_heard;
bool counts(HWND window)
{
    DWORD event_process = 0;
    DWORD foreground_process = 0;
    GetWindowThreadProcessId(window, &event_process);
    GetWindowThreadProcessId(GetForegroundWindow(), &foreground_process);
    const auto topmost = [](HWND w) { return (GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
    return event_process == foreground_process || topmost(window) || topmost(GetAncestor(window, GA_ROOT));
}
void CALLBACK on_alert(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD)
{
    IAccessible* accessible = nullptr;
    VARIANT id;
    if (!counts(window) || FAILED(AccessibleObjectFromEvent(window, object, child, &accessible, &id)))
        return;
    VARIANT role;
    BSTR name = nullptr;
    if (accessible->get_accRole(id, &role) == S_OK && role.vt == VT_I4 && role.lVal == ROLE_SYSTEM_ALERT)
        g_heard.emplace_back(accessible->get_accName(id, &name) == S_OK ? name : L"(no name)");
    SysFreeString(name);
    VariantClear(&id);
    accessible->Release();
}

// What the display announced through UI Automation.
std::vector<std::wstring> g_notified;
HRESULT notify(HWND, const wchar_t* text)
{
    g_notified.emplace_back(text);
    return S_OK;
}

// A host thread that never initialised COM: it has something said, answers a
// screen reader's WM_GETOBJECT twice (one answer is never collected), then
// probes its apartment, reads the collected answer in it, and ends the
// announcer as OSD_Destroy does.
struct ComLessHost {
    LRESULT answer = 0;
    HRESULT joined = E_FAIL;
    std::wstring name;
    std::size_t alive_after_destroy = 99;
};
DWORD WINAPI com_less_host(void* parameter)
{
    ComLessHost& host = *static_cast<ComLessHost*>(parameter);
    vx::osd::say(L"Caps Lock on", 12, vx::osd::Timing::Now);
    HWND announcer = vx::osd::announcer_window();
    host.answer = SendMessageA(announcer, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
    SendMessageA(announcer, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
    host.joined = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IAccessible* accessible = nullptr;
    if (host.answer > 0 &&
        SUCCEEDED(ObjectFromLresult(host.answer, __uuidof(IAccessible), 0, reinterpret_cast<void**>(&accessible)))) {
        VARIANT self;
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR name = nullptr;
        if (accessible->get_accName(self, &name) == S_OK)
            host.name = name;
        SysFreeString(name);
        accessible->Release();
    }
    vx::osd::destroy_announcer();
    host.alive_after_destroy = vx::osd::live_accessible_texts();
    if (SUCCEEDED(host.joined))
        CoUninitialize();
    return 0;
}
int g_mta_increments = 0;
HRESULT(WINAPI* g_real_increment)(void**) = nullptr;
HRESULT WINAPI counted_increment(void** cookie)
{
    ++g_mta_increments;
    return g_real_increment(cookie);
}

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
    // The rule holds in logical units: the margins are scaled from 1024 x
    // 768 to the screen's logical size, and 20 logical pixels stay free.
    const int cx = logical_cx();
    const int cy = logical_cy();
    const int right = logical(984), bottom = logical(728);
    RECT r{0, 0, 984, 728};
    OSD_ShowString("Rect", &r, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT);
    EXPECT_EQ(0, r.left);
    EXPECT_EQ(0, r.top);
    EXPECT_EQ(px(cx - (cx - right) * cx / 1024), r.right);
    EXPECT_EQ(px(cy - (cy - bottom) * cy / 768 - 20), r.bottom);
    if (cx == 1024 && cy == 768 && screen_dpi() == 96) {
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
    const int margin = px(logical_cx() * 40 / 1024);
    EXPECT_GE(box.left, margin);
    EXPECT_LT(box.left, margin + px(10)) << "drawn from the left margin";
    DeleteObject(region);
}

namespace {

// `upper` is above `lower` among the top-level windows.
bool above(HWND upper, HWND lower)
{
    for (HWND w = GetWindow(lower, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV))
        if (w == upper)
            return true;
    return false;
}

} // namespace

// A show brings the display back above a top-most window that came over it
// since the last show, and draws its text in the font set since then.
TEST_F(OsdDisplay, AShowRaisesTheDisplayAgainAndDrawsInTheCurrentFont)
{
    const UINT format = DT_SINGLELINE | DT_BOTTOM | DT_RIGHT;
    OSD_ShowString("Hello", nullptr, format);
    HRGN before = display_region();
    HWND cover = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "STATIC", "cover", WS_POPUP | WS_VISIBLE, 0, 0, 10,
                                 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(above(cover, display()));
    set_number("Height", -px(60));
    set_number("UserChanged", 1);
    reload();
    OSD_ShowString("Hello", nullptr, format);
    EXPECT_TRUE(above(display(), cover));
    HRGN after = display_region();
    EXPECT_GT(region_area(after), region_area(before) * 3 / 2) << "drawn in the larger font";
    DeleteObject(before);
    DeleteObject(after);
    DestroyWindow(cover);
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

TEST_F(OsdDisplay, DisplayChangeClosesTheWindowsAndAShowRightAfterStaysUp)
{
    OSD_SetVolumeBkgColor(RGB(40, 40, 40));
    OSD_ShowVolume(50, 32, 100);
    HWND old_display = display();
    HWND old_background = state().background;
    ASSERT_TRUE(IsWindow(old_background));
    SendMessageA(old_display, WM_DISPLAYCHANGE, 32, MAKELPARAM(800, 600));
    EXPECT_FALSE(IsWindow(old_display));
    EXPECT_FALSE(IsWindow(old_background));
    // Shown before the thread's queue is read again: nothing queued may
    // take the new window down.
    EXPECT_EQ(1, OSD_ShowMuteIcon(0));
    pump(50);
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

TEST_F(OsdDisplay, FullScreenProgramsLeaveThePictureOutOnlyWhenAsked)
{
    SeamOverride<HRESULT(WINAPI*)(QUERY_USER_NOTIFICATION_STATE*)> shell(
        vx::osd::platform::os().SHQueryUserNotificationState, notification_state);
    SeamOverride<HWND(WINAPI*)()> foreground(vx::osd::platform::desktop().GetForegroundWindow, foreground_window);
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    HWND program = CreateWindowExA(0, "STATIC", "full screen", WS_POPUP, 0, 0, cx, cy, nullptr, nullptr, nullptr,
                                   nullptr);
    g_foreground = program;
    g_state_queries = 0;
    g_notification_state = QUNS_PRESENTATION_MODE;
    OSD_ShowVolume(50, 32, 100);
    EXPECT_EQ(0, g_state_queries) << "not asked while \"FullScreen\" is 0";
    pump_until([&] { return !display_visible(); }, 2000);

    set_number("FullScreen", 1);
    reload();
    DebugCapture debug;
    for (QUERY_USER_NOTIFICATION_STATE busy : {QUNS_BUSY, QUNS_RUNNING_D3D_FULL_SCREEN, QUNS_PRESENTATION_MODE}) {
        g_notification_state = busy;
        EXPECT_EQ(1, OSD_ShowMuteIcon(1));
        EXPECT_EQ(1, OSD_ShowVolumeEx(50, 32, 100, 0));
        EXPECT_EQ(1, OSD_ShowVolume(50, 32, 100));
        OSD_ShowString("left out", nullptr, DT_SINGLELINE);
        EXPECT_NE(0, OSD_ShowCapsLk(10, 100, 1));
        EXPECT_FALSE(display_visible()) << busy;
        EXPECT_EQ(nullptr, find_own_window("VX_OSD_CAPSLK_WNDCLASS", "VX_OSD_CAPSLK_WND"));
    }
    EXPECT_TRUE(debug.saw("OSD left out: a full-screen program runs\n"));
    EXPECT_TRUE(debug.saw("OSD left out: a full-screen Direct3D program runs\n"));
    EXPECT_TRUE(debug.saw("OSD left out: presentation mode is on\n"));

    // The shell's busy state from a program that does not cover this
    // monitor (one on another monitor, or none: an overlay over the desktop).
    g_notification_state = QUNS_BUSY;
    SetWindowPos(program, nullptr, cx / 2, 0, cx / 2, cy, SWP_NOZORDER | SWP_NOACTIVATE);
    for (HWND other : {program, GetDesktopWindow(), static_cast<HWND>(nullptr)}) {
        g_foreground = other;
        EXPECT_EQ(1, OSD_ShowMuteIcon(1));
        EXPECT_TRUE(display_visible());
        EXPECT_NE(0, OSD_ShowCapsLk(10, 100, 1));
        EXPECT_TRUE(IsWindowVisible(find_own_window("VX_OSD_CAPSLK_WNDCLASS", "VX_OSD_CAPSLK_WND")));
    }

    // The program goes full screen while both are up: they go.
    g_foreground = program;
    EXPECT_EQ(1, OSD_ShowVolume(50, 32, 100));
    SetWindowPos(program, nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(pump_until([&] { return !display_visible(); }, 1000));
    EXPECT_FALSE(IsWindowVisible(find_own_window("VX_OSD_CAPSLK_WNDCLASS", "VX_OSD_CAPSLK_WND")));
    EXPECT_FALSE(state().display_showing);
    g_notification_state = QUNS_ACCEPTS_NOTIFICATIONS;
    EXPECT_EQ(1, OSD_ShowMuteIcon(1));
    EXPECT_TRUE(display_visible());
    DestroyWindow(program);
}

// Only a display that gives pixels up has the windows below repaint them,
// and only without composition: the state is asked then and only then.
TEST_F(OsdDisplay, CompositionIsAskedOnlyWhenADisplayGivesPixelsUp)
{
    SeamOverride<HRESULT(WINAPI*)(BOOL*)> composition(vx::osd::platform::desktop().DwmIsCompositionEnabled,
                                                      composition_enabled);
    OSD_ShowVolume(0, 32, 100);
    g_composition_queries = 0;
    OSD_ShowVolume(100, 32, 100); // the stubs grow into lit bars
    EXPECT_EQ(0, g_composition_queries);
    OSD_ShowVolume(0, 32, 100);
    EXPECT_EQ(1, g_composition_queries);
}

TEST_F(OsdDisplay, EveryShowIsHeardByAScreenReaderOnceInTheThreadLanguage)
{
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    SeamOverride<HRESULT (*)(HWND, const wchar_t*)> no_uia(vx::osd::platform::accessibility().RaiseNotification,
                                                           nullptr);
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_SYSTEM_ALERT, EVENT_SYSTEM_ALERT, nullptr, on_alert,
                                         GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(nullptr, hook);
    DWORD foreground = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &foreground);
    ASSERT_NE(GetCurrentProcessId(), foreground) << "the host is a background application";
    g_heard.clear();
    auto heard = [&](auto show) {
        const std::size_t before = g_heard.size();
        show();
        return pump_until([&] { return g_heard.size() > before; }, 1000) ? g_heard.back() : std::wstring(L"(none)");
    };
    set_number("Announce", 1);
    reload();
    const LCID saved = GetThreadLocale();
    SetThreadLocale(1033);
    // The first show after start-up: no display has been up, nor top-most.
    EXPECT_EQ(L"Caps Lock on", heard([] { OSD_ShowCapsLk(10, 100, 1); }));
    EXPECT_EQ(L"Volume 50 %, muted", heard([] { OSD_ShowVolumeEx(0x8000, 32, 0xFFFF, 1); }));
    EXPECT_EQ(L"Mute Off", heard([] { OSD_ShowMuteIcon(0); }));
    EXPECT_EQ(L"Free text", heard([] { OSD_ShowString("Free text", nullptr, DT_SINGLELINE); }));
    // A screen change closes the display; the next show is heard all the same.
    SendMessageA(display(), WM_DISPLAYCHANGE, 32, MAKELPARAM(800, 600));
    EXPECT_EQ(L"Microphone muted", heard([] { OSD_ShowMic(60, 100, 1); }));
    {
        SeamOverride<HRESULT(WINAPI*)(QUERY_USER_NOTIFICATION_STATE*)> shell(
            vx::osd::platform::os().SHQueryUserNotificationState, notification_state);
        g_notification_state = QUNS_PRESENTATION_MODE;
        set_number("FullScreen", 1);
        reload();
        EXPECT_EQ(L"Left out", heard([] { OSD_ShowString("Left out", nullptr, DT_SINGLELINE); }));
        EXPECT_FALSE(display_visible());
        g_notification_state = QUNS_ACCEPTS_NOTIFICATIONS;
    }
    SetThreadLocale(1031);
    EXPECT_EQ(L"Lautst\u00e4rke 100 %", heard([] { OSD_ShowVolume(0xFFFF, 32, 0xFFFF); }));
    SetThreadLocale(1033);

    // A held key: each repeat shows its step, and the level is said once,
    // when the steps stop.
    for (int hold = 0; hold < 2; ++hold) {
        g_heard.clear();
        for (unsigned level = 10; level <= 20; ++level) {
            OSD_ShowVolume(level * 0xFFFF / 100, 32, 0xFFFF);
            pump(30);
        }
        pump(2 * vx::osd::kSettleMs + 200);
        ASSERT_EQ(1u, g_heard.size()) << "hold " << hold;
        EXPECT_EQ(L"Volume 20 %", g_heard[0]);
    }

    // Where Windows has UI Automation notifications they carry the text too;
    // the alert stays for readers that do not speak notifications of
    // background applications.
    SeamOverride<HRESULT (*)(HWND, const wchar_t*)> uia(vx::osd::platform::accessibility().RaiseNotification, notify);
    g_notified.clear();
    EXPECT_EQ(L"Num Lock off", heard([] { OSD_ShowNumLk(10, 100, 0); }));
    ASSERT_EQ(1u, g_notified.size());
    EXPECT_EQ(L"Num Lock off", g_notified[0]);
    // While the host's own window is in the foreground, a reader takes the
    // notification from it, and the alert would say it a second time.
    HWND own = CreateWindowExA(0, "STATIC", "host", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    {
        SeamOverride<HWND(WINAPI*)()> foreground(vx::osd::platform::desktop().GetForegroundWindow,
                                                 foreground_window);
        g_foreground = own;
        EXPECT_EQ(L"(none)", heard([] { OSD_ShowNumLk(10, 100, 1); }));
        EXPECT_EQ(2u, g_notified.size());
    }
    DestroyWindow(own);
    set_number("Announce", 0);
    reload();
    EXPECT_EQ(L"(none)", heard([] { OSD_ShowMic(60, 100, 0); })) << "\"Announce\" is 0";
    SetThreadLocale(saved);
    UnhookWinEvent(hook);
    CoUninitialize();
}

TEST_F(OsdDisplay, AComLessHostThreadIsAnsweredAndKeepsNoApartment)
{
    auto& seam = vx::osd::platform::accessibility();
    g_real_increment = seam.IncrementMtaUsage;
    ASSERT_NE(nullptr, g_real_increment);
    // Windows 8 and later count the multithreaded apartment's users; before
    // them the library keeps the apartment with a thread of its own.
    for (const bool counted : {true, false}) {
        SeamOverride<HRESULT(WINAPI*)(void**)> increment(seam.IncrementMtaUsage,
                                                         counted ? counted_increment : nullptr);
        g_mta_increments = 0;
        ComLessHost host;
        HANDLE thread = CreateThread(nullptr, 0, com_less_host, &host, 0, nullptr);
        ASSERT_NE(nullptr, thread);
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
        CloseHandle(thread);
        EXPECT_GT(host.answer, 0) << counted;
        EXPECT_EQ(counted ? 1 : 0, g_mta_increments);
        EXPECT_EQ(S_OK, host.joined) << "the host's thread was left in no apartment (" << counted << ")";
        EXPECT_EQ(L"Caps Lock on", host.name);
        EXPECT_EQ(0u, host.alive_after_destroy) << "every object handed out is disconnected and freed";
    }
}
