// The one thread that calls VXUtil and VXOSD. It has its own window and
// message loop: the mixer's change notices, VXUtil's repeat timer and VXOSD's
// windows and message boxes live on it, so a key function that blocks (a
// player that takes 30 s to open, a message box) holds up only this thread.
// Work comes in a queue in order; the thread marks when it picked up its
// current work (key_state().busy_since), which is what the hook and the host
// decide by. Work posted while a key function runs a modal loop (a message
// box) waits until that function returns, so no key function runs inside
// another.
#pragma once
#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

namespace keyhost {

struct KeyWork {
    std::uint32_t code = 0;
    bool pressed = false;
    std::uint64_t queued = 0;    // now_ms() when queued
    std::int64_t queued_qpc = 0; // QueryPerformanceCounter when queued
};

class ActionThread {
public:
    using Call = std::function<void()>;
    using KeyRunner = std::function<void(const KeyWork&)>;
    // Every other message of the thread's window; false for DefWindowProc.
    using MessageHandler = std::function<bool(HWND, UINT, WPARAM, LPARAM)>;

    ~ActionThread() { stop({}); }
    // Starts the thread and runs `init` on it before returning.
    bool start(Call init, KeyRunner run_key, MessageHandler handler);
    // Runs `finish` on the thread and ends it; waits at most `wait_ms` for a
    // key function still running.
    void stop(Call finish, DWORD wait_ms = 5000);

    void post(Call call);
    void post_key(KeyWork key);
    // Runs `call` on the thread and waits for it; for drivers that need a
    // step done before the next (never the daily key path).
    bool run_and_wait(Call call, DWORD wait_ms);
    // Runs `call` on the calling thread, which must be this thread, as work
    // (a replay step that calls the key functions directly).
    void run_now(const Call& call);
    // Key presses queued kResponsiveMs ago or more and not picked up, taken
    // out of the queue with the releases queued after them.
    std::vector<KeyWork> take_late(std::uint64_t now);
    bool has_work() const;

    HWND window() const { return window_; }
    DWORD thread_id() const { return thread_id_; }

private:
    struct Work {
        bool is_key = false;
        KeyWork key;
        Call call;
    };
    struct Start;
    static DWORD WINAPI run(void* start);
    static LRESULT CALLBACK window_proc(HWND, UINT, WPARAM, LPARAM);
    void wake();
    void drain();

    KeyRunner run_key_;
    MessageHandler handler_;
    HANDLE thread_ = nullptr;
    DWORD thread_id_ = 0;
    HWND window_ = nullptr;
    mutable std::mutex lock_;
    std::deque<Work> queue_;
    int depth_ = 0; // work running on the thread (above 0 inside a key function)
};

} // namespace keyhost
