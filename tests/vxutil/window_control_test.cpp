// Window activation, switching and closing with real windows under Wine;
// locking and hibernation through the power seam.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/cloaking_seam.h"
#include "platform/power_seam.h"
#include "platform/seam.h"
#include "vxutil.h"
#include "vxutil/fake_version.h"
#include "vxutil/test_windows.h"

using vxtest::FakeVersion;
using vxtest::pump_messages;
using vxtest::StandIn;
using vxtest::TestWindow;

namespace {

// Foreground changes that involve another thread's queue settle
// asynchronously; wait for them with the messages pumped.
HWND settled_foreground(HWND expected)
{
    for (int i = 0; i < 100 && GetForegroundWindow() != expected; ++i) {
        pump_messages();
        Sleep(20);
    }
    pump_messages();
    return GetForegroundWindow();
}

void make_foreground(HWND window)
{
    SetForegroundWindow(window);
    settled_foreground(window);
}

int z_position(HWND window)
{
    int i = 0;
    for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT), ++i) {
        if (w == window)
            return i;
    }
    return -1;
}

TEST(ActivateWindow, ActivatesTheVisibleDialogOfAnOwner)
{
    TestWindow owner("owner");
    TestWindow dialog("dialog", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, owner.get());
    make_foreground(dialog.get()); // the dialog becomes the owner's last active popup
    TestWindow other("other");
    make_foreground(other.get());
    ASSERT_EQ(other.get(), GetForegroundWindow());

    EXPECT_EQ(1, ActivateWindow(owner.get()));
    EXPECT_EQ(dialog.get(), settled_foreground(dialog.get()));
}

TEST(ActivateWindow, RestoresAMinimisedWindowAndRejectsNonWindows)
{
    TestWindow window("minimised");
    ShowWindow(window.get(), SW_MINIMIZE);
    pump_messages();
    ASSERT_TRUE(IsIconic(window.get()));
    EXPECT_EQ(1, ActivateWindow(window.get()));
    pump_messages();
    EXPECT_FALSE(IsIconic(window.get()));
    EXPECT_EQ(window.get(), GetForegroundWindow());
    EXPECT_EQ(0, ActivateWindow(nullptr));
    EXPECT_EQ(0, ActivateWindow(reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x7fff0))));
}

TEST(ActivateWindow, EveryWindowsGenerationEndsInFront)
{
    const struct {
        DWORD platform, major, minor;
    } versions[] = {{1, 4, 10}, {2, 5, 0}, {2, 6, 1}};
    for (const auto& v : versions) {
        FakeVersion version(v.platform, v.major, v.minor);
        DWORD before = 0;
        SystemParametersInfoA(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &before, 0);
        TestWindow back("back");
        TestWindow front("front");
        make_foreground(front.get());
        EXPECT_EQ(1, ActivateWindow(back.get()));
        EXPECT_EQ(back.get(), settled_foreground(back.get())) << v.major << "." << v.minor;
        DWORD after = 0;
        SystemParametersInfoA(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &after, 0);
        EXPECT_EQ(before, after) << "the foreground lock time-out is put back";
    }
}

TEST(ActivateWindowByProcessId, ActivatesTheOtherProcessWindowOnlyWhenVisible)
{
    StandIn hidden("hidden");
    Sleep(300);
    TestWindow mine("mine");
    make_foreground(mine.get());
    EXPECT_EQ(0, ActivateWindowByProcessId(static_cast<int>(hidden.pid()), 0));
    EXPECT_EQ(mine.get(), GetForegroundWindow()) << "nothing activated";

    StandIn shown("window");
    const HWND window = shown.wait_for_window();
    ASSERT_NE(nullptr, window);
    make_foreground(mine.get());
    EXPECT_EQ(1, ActivateWindowByProcessId(static_cast<int>(shown.pid()), 1));
    EXPECT_EQ(window, settled_foreground(window));
    EXPECT_EQ(0, ActivateWindowByProcessId(0, 0));
}

TEST(ForegroundTopWindow, ClimbsToTheVisibleOwner)
{
    TestWindow owner("owner");
    TestWindow popup("popup", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, owner.get());
    make_foreground(popup.get());
    ASSERT_EQ(popup.get(), GetForegroundWindow());
    EXPECT_EQ(owner.get(), GetForegroundTopWindow());
    ShowWindow(owner.get(), SW_HIDE);
    make_foreground(popup.get());
    EXPECT_EQ(popup.get(), GetForegroundTopWindow()) << "a hidden owner is not climbed";
}

TEST(CloseCurrentWindow, PostsCloseToTheForegroundWindow)
{
    TestWindow window("to close");
    make_foreground(window.get());
    EXPECT_EQ(1, CloseCurrentWindow());
    EXPECT_TRUE(IsWindow(window.get())) << "posted, not sent";
    pump_messages();
    EXPECT_FALSE(IsWindow(window.get()));
}

HWND g_cloaked = nullptr;

HRESULT WINAPI fake_window_attribute(HWND window, DWORD attribute, PVOID value, DWORD)
{
    *static_cast<DWORD*>(value) = attribute == 14 /* DWMWA_CLOAKED */ && window == g_cloaked;
    return S_OK;
}

TEST(SwitchNextWindow, SkipsToolHiddenAndCloakedWindowsAndSendsTheCurrentOneToTheBottom)
{
    TestWindow next("next");
    TestWindow cloaked("on another virtual desktop");
    TestWindow hidden("hidden", WS_OVERLAPPEDWINDOW);
    TestWindow tool("tool", WS_OVERLAPPEDWINDOW | WS_VISIBLE, WS_EX_TOOLWINDOW);
    TestWindow current("current");
    g_cloaked = cloaked.get();
    vx::platform::SeamOverride<decltype(vx::platform::DesktopSeam::DwmGetWindowAttribute)> dwm{
        vx::platform::desktop().DwmGetWindowAttribute, fake_window_attribute};
    make_foreground(current.get());
    SetWindowPos(tool.get(), current.get(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(hidden.get(), tool.get(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(cloaked.get(), hidden.get(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(next.get(), cloaked.get(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_EQ(current.get(), GetForegroundWindow());

    EXPECT_EQ(1, SwitchNextWindow());
    EXPECT_EQ(next.get(), settled_foreground(next.get()));
    EXPECT_GT(z_position(current.get()), z_position(next.get())) << "the old window went to the bottom";
    EXPECT_GT(z_position(current.get()), z_position(hidden.get()));
}

TEST(SwitchNextWindow, TheOnlyNormalWindowStaysInFront)
{
    // Only meaningful when no other normal window is visible on the desktop.
    TestWindow tool("tool", WS_OVERLAPPEDWINDOW | WS_VISIBLE, WS_EX_TOOLWINDOW);
    TestWindow only("only");
    make_foreground(only.get());
    bool others = false;
    for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w != only.get() && IsWindowVisible(w) && !(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW))
            others = true;
    }
    if (others)
        GTEST_SKIP() << "another normal window is visible on this desktop";
    HWND below = GetWindow(only.get(), GW_HWNDNEXT);
    EXPECT_EQ(1, SwitchNextWindow());
    pump_messages();
    EXPECT_EQ(only.get(), GetForegroundWindow());
    EXPECT_EQ(below, GetWindow(only.get(), GW_HWNDNEXT)) << "Z order unchanged";
}

// ---- Power ---------------------------------------------------------------

struct PowerLog {
    std::vector<std::string> calls;
    bool token_ok = true;
    BOOLEAN suspend_result = TRUE;
};
PowerLog g_power;

struct FakePower {
    vx::platform::PowerSeam seam{
        []() WINAPI -> BOOL {
            g_power.calls.push_back("lock");
            return TRUE;
        },
        [](BOOLEAN hibernate, BOOLEAN force, BOOLEAN wake_disabled) WINAPI -> BOOLEAN {
            g_power.calls.push_back("suspend " + std::to_string(hibernate) + std::to_string(force) +
                                    std::to_string(wake_disabled));
            return g_power.suspend_result;
        },
        [](HANDLE, DWORD access, PHANDLE token) WINAPI -> BOOL {
            g_power.calls.push_back("open " + std::to_string(access));
            if (!g_power.token_ok)
                return FALSE;
            *token = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0x1234));
            return TRUE;
        },
        [](LPCSTR, LPCSTR name, PLUID luid) WINAPI -> BOOL {
            g_power.calls.push_back(std::string("lookup ") + name);
            luid->LowPart = 19;
            luid->HighPart = 0;
            return TRUE;
        },
        [](HANDLE, BOOL, PTOKEN_PRIVILEGES p, DWORD, PTOKEN_PRIVILEGES, PDWORD) WINAPI -> BOOL {
            g_power.calls.push_back("adjust " + std::to_string(p->PrivilegeCount) + " " +
                                    std::to_string(p->Privileges[0].Luid.LowPart) + " " +
                                    std::to_string(p->Privileges[0].Attributes));
            return TRUE;
        },
        [](HANDLE) WINAPI -> BOOL {
            g_power.calls.push_back("close");
            return TRUE;
        },
    };
    vx::platform::ScopedSeam<vx::platform::PowerSeam> guard{vx::platform::power(), seam};
    FakePower() { g_power = {}; }
};

TEST(Power, HibernationEnablesTheShutdownPrivilegeOnlyAroundTheRequest)
{
    FakePower fake;
    EXPECT_EQ(1, PerformHibernation());
    const std::vector<std::string> expected = {
        "open 40", "lookup SeShutdownPrivilege", "adjust 1 19 2", "suspend 110", "adjust 1 19 0", "close"};
    EXPECT_EQ(expected, g_power.calls);

    g_power = {};
    g_power.suspend_result = FALSE;
    EXPECT_EQ(0, PerformHibernation());
    EXPECT_EQ(6u, g_power.calls.size()) << "the privilege is dropped after a refusal too";

    g_power = {};
    g_power.token_ok = false;
    EXPECT_EQ(0, PerformHibernation());
    EXPECT_EQ(std::vector<std::string>{"open 40"}, g_power.calls);
}

TEST(Power, LockOnlyOnWindowsNT)
{
    FakePower fake;
    {
        FakeVersion win98(1, 4, 10);
        EXPECT_EQ(0, LockComputer());
        EXPECT_TRUE(g_power.calls.empty());
    }
    FakeVersion xp(2, 5, 1);
    EXPECT_EQ(1, LockComputer());
    EXPECT_EQ(std::vector<std::string>{"lock"}, g_power.calls);
}

} // namespace
