// A low-level keyboard hook on a thread of its own, above normal priority,
// that only decides and posts. It takes the virtual keys Windows makes from
// the consumer keys the host acts on, so Windows does not act on them a second
// time, and posts each to the host window. It lets a key through to Windows
// when the host does not act on it (a CD key without a disc to play), when the
// action thread is busy (it then posts kHookPassMessage, so the host can log
// it), and when keyhost itself gave the key back (kGivenBackMark). Keys other
// programs inject (LLKHF_INJECTED: on-screen keyboards, remote control, macro
// tools) are the user's keys too and are decided the same way. A key's down
// decides its repeats and its up.
#pragma once
#include <windows.h>

namespace keyhost {

// Posted to the host window: wParam the virtual key, lParam 1 down, 0 up.
inline constexpr UINT kHookKeyMessage = WM_APP + 3;
// Posted to the host window: the down of virtual key wParam went to Windows
// because the action thread was busy.
inline constexpr UINT kHookPassMessage = WM_APP + 4;

class KeyboardHook {
public:
    ~KeyboardHook() { stop(); }
    // One hook per process; false when it could not be installed.
    bool start(HWND target);
    void stop();
    // Removes and installs the hook again (a hook Windows removed is gone
    // without a word); forgets which keys it held.
    bool restart();
    bool running() const { return thread_ != nullptr; }
    // Removes the Windows hook but keeps its thread, as Windows does when it
    // gives up on a hook; tests use it to lose the hook on purpose.
    void drop();

private:
    static DWORD WINAPI run(void* self);

    HWND target_ = nullptr;
    HANDLE thread_ = nullptr;
    DWORD thread_id_ = 0;
};

} // namespace keyhost
