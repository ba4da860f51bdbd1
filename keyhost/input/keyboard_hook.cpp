#include "keyboard_hook.h"

#include "core/consumer_keys.h"
#include "core/key_path.h"
#include "input/key_state.h"

namespace keyhost {
namespace {

// Thread message to the hook's thread: remove the Windows hook, keep running.
constexpr UINT kDropMessage = WM_APP + 1;

// Used by the hook procedure on the hook's thread only (the target is set
// before the thread starts).
struct HookState {
    HWND target = nullptr;
    bool installed = false;
    // Per virtual key: its down was taken (or passed), so its repeats and its
    // up are too.
    bool taken[256] = {};
    bool passed[256] = {};
};
HookState g_state;

bool take(const KBDLLHOOKSTRUCT& key)
{
    const DWORD virtual_key = key.vkCode;
    if (virtual_key >= 256 || key.dwExtraInfo == kGivenBackMark)
        return false;
    const std::uint32_t code = code_of_virtual_key(virtual_key);
    if (code == 0)
        return false;
    const bool down = (key.flags & LLKHF_UP) == 0;
    SharedKeyState& shared = key_state();
    const std::uint64_t now = now_ms();
    bool& taken = g_state.taken[virtual_key];
    bool& passed = g_state.passed[virtual_key];
    if (down) {
        shared.hook_seen[virtual_key] = now;
        if (!taken && !passed) {
            if (!host_takes(code, shared.disc.load())) {
                passed = true;
            } else if (!action_thread_responsive(now, shared.busy_since.load())) {
                passed = true;
                PostMessageA(g_state.target, kHookPassMessage, virtual_key, 0);
            } else {
                taken = true;
            }
        }
    }
    if (!taken) {
        if (!down)
            passed = false;
        return false;
    }
    if (!down)
        taken = false;
    // A down the host cannot be told of goes to Windows after all.
    if (!PostMessageA(g_state.target, kHookKeyMessage, virtual_key, down ? 1 : 0) && down) {
        taken = false;
        return false;
    }
    return true;
}

LRESULT CALLBACK hook_procedure(int code, WPARAM wparam, LPARAM lparam)
{
    if (code == HC_ACTION && take(*reinterpret_cast<const KBDLLHOOKSTRUCT*>(lparam)))
        return 1;
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

} // namespace

DWORD WINAPI KeyboardHook::run(void* ready)
{
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
    // The queue exists before the start returns, so stop() can always post.
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, hook_procedure, GetModuleHandleA(nullptr), 0);
    g_state.installed = hook != nullptr;
    SetEvent(static_cast<HANDLE>(ready));
    if (!hook)
        return 1;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == kDropMessage && hook) {
            UnhookWindowsHookEx(hook);
            hook = nullptr;
        }
    }
    if (hook)
        UnhookWindowsHookEx(hook);
    return 0;
}

bool KeyboardHook::start(HWND target)
{
    stop();
    target_ = target;
    g_state = HookState{};
    g_state.target = target;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!ready)
        return false;
    thread_ = CreateThread(nullptr, 0, run, ready, 0, &thread_id_);
    if (thread_)
        WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
    if (thread_ && !g_state.installed)
        stop();
    return thread_ != nullptr;
}

bool KeyboardHook::restart() { return start(target_); }

void KeyboardHook::drop()
{
    if (thread_)
        PostThreadMessageA(thread_id_, kDropMessage, 0, 0);
}

void KeyboardHook::stop()
{
    if (!thread_)
        return;
    PostThreadMessageA(thread_id_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
    thread_id_ = 0;
}

} // namespace keyhost
