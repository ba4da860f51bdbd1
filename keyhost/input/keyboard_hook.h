// A low-level keyboard hook on a thread of its own. It takes the virtual keys
// Windows makes from the consumer keys the host acts on, so Windows does not
// act on them a second time, and posts each to the host window; every other
// key passes untouched. Its own thread keeps the hook answering while a key
// function blocks the host's thread (a player start waits up to 30 s), so
// Windows never times the hook out and removes it.
#pragma once
#include <windows.h>

#include <atomic>

namespace keyhost {

// Posted to the host window: wParam the virtual key, lParam 1 down, 0 up.
inline constexpr UINT kHookKeyMessage = WM_APP + 3;

class KeyboardHook {
public:
    ~KeyboardHook() { stop(); }
    // One hook per process; false when it could not be installed.
    bool start(HWND target);
    void stop();
    // Whether the CD keys are the host's (a drive holds a disc they play).
    void set_disc_for_cd_keys(bool disc);

private:
    static DWORD WINAPI run(void* self);

    HANDLE thread_ = nullptr;
    DWORD thread_id_ = 0;
};

} // namespace keyhost
