#include "keyboard_hook.h"

#include "core/consumer_keys.h"

namespace keyhost {
namespace {

// Read by the hook procedure on the hook's thread, written by the host's.
struct HookState {
    std::atomic<HWND> target{nullptr};
    std::atomic<bool> disc{false};
    bool installed = false;
    // Per virtual key: its down was taken, so its repeats and its up are too.
    bool taken[256] = {};
};
HookState g_state;

bool take(DWORD virtual_key, bool down)
{
    const std::uint32_t code = virtual_key < 256 ? code_of_virtual_key(virtual_key) : 0;
    if (code == 0)
        return false;
    bool& taken = g_state.taken[virtual_key];
    if (down && !taken)
        taken = host_takes(code, g_state.disc.load());
    if (!taken)
        return false;
    if (!down)
        taken = false;
    PostMessageA(g_state.target.load(), kHookKeyMessage, virtual_key, down ? 1 : 0);
    return true;
}

LRESULT CALLBACK hook_procedure(int code, WPARAM wparam, LPARAM lparam)
{
    if (code == HC_ACTION) {
        const auto& key = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lparam);
        if (take(key.vkCode, (key.flags & LLKHF_UP) == 0))
            return 1;
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

} // namespace

DWORD WINAPI KeyboardHook::run(void* ready)
{
    // The queue exists before the start returns, so stop() can always post.
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, hook_procedure, GetModuleHandleA(nullptr), 0);
    g_state.installed = hook != nullptr;
    SetEvent(static_cast<HANDLE>(ready));
    if (!hook)
        return 1;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    }
    UnhookWindowsHookEx(hook);
    return 0;
}

bool KeyboardHook::start(HWND target)
{
    stop();
    g_state.target = target;
    for (bool& taken : g_state.taken)
        taken = false;
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

void KeyboardHook::set_disc_for_cd_keys(bool disc) { g_state.disc = disc; }

} // namespace keyhost
