#include "actions/action_thread.h"

#include <algorithm>
#include <memory>

#include "core/key_path.h"
#include "input/key_state.h"

namespace keyhost {
namespace {

constexpr char kClass[] = "VXKeyHostActions";
constexpr UINT kWakeMessage = WM_APP + 10;

} // namespace

// What the new thread needs until `start` returns.
struct ActionThread::Start {
    ActionThread* me;
    Call init;
    HANDLE ready;
};

DWORD WINAPI ActionThread::run(void* context)
{
    auto& start = *static_cast<Start*>(context);
    ActionThread& me = *start.me;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = window_proc;
    wc.hInstance = instance;
    wc.lpszClassName = kClass;
    RegisterClassA(&wc);
    // A message-only window: it receives the work, the mixer's notices and
    // the display's timers, and is never shown.
    me.window_ = CreateWindowExA(0, kClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, &me);
    if (me.window_ && start.init)
        start.init();
    const bool made = me.window_ != nullptr;
    SetEvent(start.ready); // `start` is gone from here on
    if (!made)
        return 1;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    DestroyWindow(me.window_);
    return 0;
}

bool ActionThread::start(Call init, KeyRunner run_key, MessageHandler handler)
{
    run_key_ = std::move(run_key);
    handler_ = std::move(handler);
    // The thread makes its window and runs `init` first, then loops; the
    // start waits for the first part only.
    Start start{this, std::move(init), CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    if (!start.ready)
        return false;
    thread_ = CreateThread(nullptr, 0, run, &start, 0, &thread_id_);
    if (thread_)
        WaitForSingleObject(start.ready, INFINITE);
    CloseHandle(start.ready);
    if (thread_ && !window_) {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    return window_ != nullptr;
}

void ActionThread::stop(Call finish, DWORD wait_ms)
{
    if (!thread_)
        return;
    post([finish = std::move(finish)] {
        if (finish)
            finish();
        PostQuitMessage(0);
    });
    WaitForSingleObject(thread_, wait_ms);
    CloseHandle(thread_);
    thread_ = nullptr;
    window_ = nullptr;
    key_state().busy_since = 0;
}

void ActionThread::post(Call call)
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        queue_.push_back(Work{false, {}, std::move(call)});
    }
    wake();
}

void ActionThread::post_key(KeyWork key)
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        queue_.push_back(Work{true, key, {}});
    }
    wake();
}

void ActionThread::wake()
{
    if (window_)
        PostMessageA(window_, kWakeMessage, 0, 0);
}

bool ActionThread::run_and_wait(Call call, DWORD wait_ms)
{
    if (GetCurrentThreadId() == thread_id_) {
        call();
        return true;
    }
    auto done = std::shared_ptr<void>(CreateEventA(nullptr, TRUE, FALSE, nullptr), CloseHandle);
    post([call = std::move(call), done] {
        call();
        SetEvent(done.get());
    });
    return WaitForSingleObject(done.get(), wait_ms) == WAIT_OBJECT_0;
}

std::vector<KeyWork> ActionThread::take_late(std::uint64_t now)
{
    std::vector<KeyWork> late;
    std::lock_guard<std::mutex> hold(lock_);
    for (auto it = queue_.begin(); it != queue_.end();) {
        const bool late_press = it->is_key && it->key.pressed && too_late(now, it->key.queued);
        const bool release_of_late = it->is_key && !it->key.pressed &&
                                     std::any_of(late.begin(), late.end(), [&](const KeyWork& k) {
                                         return k.code == it->key.code;
                                     });
        if (late_press)
            late.push_back(it->key);
        if (late_press || release_of_late)
            it = queue_.erase(it);
        else
            ++it;
    }
    return late;
}

void ActionThread::run_now(const Call& call)
{
    ++depth_;
    key_state().busy_since = now_ms();
    call();
    key_state().busy_since = 0;
    --depth_;
}

bool ActionThread::has_work() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return !queue_.empty();
}

void ActionThread::drain()
{
    // Inside a key function's modal loop the work waits for it to return.
    if (depth_ > 0)
        return;
    for (;;) {
        Work work;
        {
            std::lock_guard<std::mutex> hold(lock_);
            if (queue_.empty())
                break;
            work = std::move(queue_.front());
            queue_.pop_front();
            key_state().busy_since = now_ms();
        }
        ++depth_;
        if (work.is_key)
            run_key_(work.key);
        else if (work.call)
            work.call();
        --depth_;
    }
    key_state().busy_since = 0;
}

LRESULT CALLBACK ActionThread::window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_NCCREATE)
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams));
    auto* me = reinterpret_cast<ActionThread*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (me && message == kWakeMessage) {
        me->drain();
        return 0;
    }
    if (me && me->handler_ && me->handler_(window, message, wparam, lparam))
        return 0;
    return DefWindowProcA(window, message, wparam, lparam);
}

} // namespace keyhost
