// Bringing windows reliably to the foreground on each Windows generation,
// closing and switching windows, the screen saver, locking and hibernation.
// Locking and hibernation go through the power seam.
#include "buttons/launch/window_control.h"

#include "platform/cloaking_seam.h"
#include "platform/power_seam.h"
#include "vxutil.h"

namespace vx::windows {
namespace {

// Longest walk of the top-level window list: the list can change while it is
// walked, and a walk that never comes back to its start must still end.
constexpr int kMaxWindowWalk = 100000;

// How long a thread may take to answer before it counts as not answering.
constexpr UINT kAnswerMs = 200;

// DwmGetWindowAttribute's DWMWA_CLOAKED: non-zero while the compositor hides
// the window.
constexpr DWORD kCloakedAttribute = 14;

// A window the user cannot see although it is visible: cloaked by the
// compositor. False where there is no compositor to ask.
bool cloaked(HWND window)
{
    DWORD value = 0;
    return SUCCEEDED(vx::platform::desktop().DwmGetWindowAttribute(window, kCloakedAttribute, &value, sizeof value)) &&
           value != 0;
}

// Windows 98 refuses SetForegroundWindow from a background process while its
// foreground lock time-out runs; lift it for the one call.
void set_foreground_unlocked(HWND window)
{
    DWORD timeout = 0;
    SystemParametersInfoA(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout, 0);
    SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, 0);
    SetForegroundWindow(window);
    SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, reinterpret_cast<void*>(static_cast<ULONG_PTR>(timeout)), 0);
}

// Windows 2000 lets a thread take the foreground only while it shares input
// state with the current foreground thread.
void set_foreground_attached(HWND window)
{
    const DWORD target = GetWindowThreadProcessId(window, nullptr);
    const HWND foreground = GetForegroundWindow();
    const DWORD front = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    const DWORD self = GetCurrentThreadId();
    const bool to_front = front && front != target && answers_promptly(foreground);
    const bool to_self = self != target;
    if (to_front)
        AttachThreadInput(target, front, TRUE);
    if (to_self)
        AttachThreadInput(target, self, TRUE);
    SetForegroundWindow(window);
    if (to_front)
        AttachThreadInput(target, front, FALSE);
    if (to_self)
        AttachThreadInput(target, self, FALSE);
}

struct ProcessWindows {
    DWORD process;
    bool found;
};

BOOL CALLBACK activate_if_qualifying(HWND window, LPARAM param)
{
    auto& search = *reinterpret_cast<ProcessWindows*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.process || !IsWindowVisible(window))
        return TRUE;
    const HWND parent = GetParent(window);
    if (parent && IsWindowVisible(parent))
        return TRUE;
    ActivateWindow(window);
    search.found = true;
    return TRUE;
}

} // namespace

bool answers_promptly(HWND window)
{
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kAnswerMs, &ignored) != 0;
}

} // namespace vx::windows

using namespace vx::windows;

extern "C" int WINAPI ActivateWindow(HWND window)
{
    if (!IsWindow(window))
        return 0;
    const HWND popup = GetLastActivePopup(window);
    if (popup && popup != window && IsWindowVisible(popup))
        window = popup;
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    if (IsWin98())
        set_foreground_unlocked(window);
    else if (IsWin2000())
        set_foreground_attached(window);
    else
        SetForegroundWindow(window);
    return 1;
}

// Every qualifying window is activated whatever the mode: the mail key's
// second press (mode 1) must bring the client forward, never hide it.
extern "C" int WINAPI ActivateWindowByProcessId(int process_id, int /*mode*/)
{
    ProcessWindows search{static_cast<DWORD>(process_id), false};
    if (process_id == 0)
        return 0;
    EnumWindows(activate_if_qualifying, reinterpret_cast<LPARAM>(&search));
    return search.found ? 1 : 0;
}

extern "C" HWND WINAPI GetForegroundTopWindow(void)
{
    HWND window = GetForegroundWindow();
    for (int steps = 0; window && steps < kMaxWindowWalk; ++steps) {
        const HWND parent = GetParent(window);
        if (!parent || !IsWindowVisible(parent))
            break;
        window = parent;
    }
    return window;
}

extern "C" int WINAPI CloseCurrentWindow(void)
{
    if (const HWND window = GetForegroundWindow())
        PostMessageA(window, WM_CLOSE, 0, 0);
    return 1;
}

extern "C" int WINAPI SwitchNextWindow(void)
{
    const HWND current = GetForegroundWindow();
    if (!current)
        return 1;
    HWND window = current;
    for (int steps = 0; steps < kMaxWindowWalk; ++steps) {
        window = GetWindow(window, GW_HWNDNEXT);
        if (!window)
            window = GetWindow(GetDesktopWindow(), GW_CHILD);
        if (!window || window == current)
            break;
        if (IsWindowVisible(window) && !(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) && !cloaked(window))
            break;
    }
    if (IsWindow(window) && window != current) {
        // Without SWP_NOACTIVATE the window would be activated again on its
        // way down, and Wine then keeps it on top.
        SetWindowPos(current, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ActivateWindow(window);
    }
    return 1;
}

extern "C" int WINAPI ActivateScreenSaver(void)
{
    return static_cast<int>(SendMessageA(GetDesktopWindow(), WM_SYSCOMMAND, SC_SCREENSAVE, 0));
}

extern "C" int WINAPI LockComputer(void)
{
    if (!IsNT())
        return 0;
    return vx::platform::power().LockWorkStation();
}

extern "C" int WINAPI PerformHibernation(void)
{
    auto& power = vx::platform::power();
    HANDLE token = nullptr;
    if (!power.OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token) || !token)
        return 0;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    power.LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    power.AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    const int accepted = power.SetSuspendState(TRUE, TRUE, FALSE) ? 1 : 0;
    privileges.Privileges[0].Attributes = 0;
    power.AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    power.CloseHandle(token);
    return accepted;
}
