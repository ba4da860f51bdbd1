#include "announcer.h"

#include <objbase.h>

#include "accessible_text.h"
#include "osd_module.h"
#include "platform/accessibility_seam.h"
#include "platform/desktop_seam.h"
#include "platform/system_function.h"

namespace vx::osd {
namespace {

constexpr UINT_PTR kSettleTimer = 1;
constexpr DWORD kMtaStartMs = 5000;

// Keeps the process's multithreaded apartment alive while the announcer
// answers, so that a host thread that never initialised COM answers
// WM_GETOBJECT from the implicit multithreaded apartment: the library never
// initialises COM on the host's thread (a host joining the other apartment
// later would fail with RPC_E_CHANGED_MODE). Windows 8 and later count the
// apartment's users (CoIncrementMTAUsage); before that a thread of the
// library's own sits in the apartment until released.
class MtaKeeper {
public:
    // True when the apartment is kept (now or already).
    bool keep()
    {
        if (cookie_ || thread_)
            return true;
        const auto& seam = platform::accessibility();
        if (seam.IncrementMtaUsage && SUCCEEDED(seam.IncrementMtaUsage(&cookie_)) && cookie_)
            return true;
        cookie_ = nullptr;
        return start_thread();
    }
    void release()
    {
        if (cookie_) {
            if (const auto decrement = platform::accessibility().DecrementMtaUsage)
                decrement(cookie_);
            cookie_ = nullptr;
        }
        if (thread_) {
            SetEvent(stop_);
            WaitForSingleObject(thread_, INFINITE);
            CloseHandle(thread_);
            thread_ = nullptr;
        }
        if (stop_)
            CloseHandle(stop_);
        stop_ = nullptr;
    }

private:
    struct Start {
        HANDLE stop;
        HANDLE ready;
        bool joined;
    };
    static DWORD WINAPI apartment_thread(void* parameter)
    {
        using Initialize = HRESULT(WINAPI*)(void*, DWORD);
        using Uninitialize = void(WINAPI*)();
        static const auto initialize = platform::system_function_as<Initialize>("ole32.dll", "CoInitializeEx");
        static const auto uninitialize = platform::system_function_as<Uninitialize>("ole32.dll", "CoUninitialize");
        Start* start = static_cast<Start*>(parameter);
        const HANDLE stop = start->stop;
        const bool joined = initialize && uninitialize && SUCCEEDED(initialize(nullptr, COINIT_MULTITHREADED));
        start->joined = joined;
        SetEvent(start->ready); // `start` is gone after this
        if (joined) {
            WaitForSingleObject(stop, INFINITE);
            uninitialize();
        }
        return 0;
    }
    bool start_thread()
    {
        Start start{CreateEventA(nullptr, TRUE, FALSE, nullptr), CreateEventA(nullptr, TRUE, FALSE, nullptr), false};
        HANDLE thread = start.stop && start.ready ? CreateThread(nullptr, 0, apartment_thread, &start, 0, nullptr)
                                                  : nullptr;
        const bool ready = thread && WaitForSingleObject(start.ready, kMtaStartMs) == WAIT_OBJECT_0;
        if (start.ready)
            CloseHandle(start.ready);
        if (ready && start.joined) {
            thread_ = thread;
            stop_ = start.stop;
            return true;
        }
        if (thread) {
            // It ends by itself once it has failed; one that never got ready
            // is told to stop and waited for, as it runs this library's code.
            SetEvent(start.stop);
            WaitForSingleObject(thread, INFINITE);
            CloseHandle(thread);
        }
        if (start.stop)
            CloseHandle(start.stop);
        return false;
    }

    void* cookie_ = nullptr;
    HANDLE thread_ = nullptr;
    HANDLE stop_ = nullptr;
};

struct Announcer {
    HWND window = nullptr;
    bool class_registered = false;
    // The last texts said, the newest last, each with its alert's child id.
    SaidText said[kKeptAnnouncements];
    std::size_t said_count = 0;
    LONG last_child = 0;
    // A text waiting to be said when settled.
    wchar_t pending[MAX_PATH] = {};
    bool has_pending = false;
    MtaKeeper mta;
};

Announcer& announcer()
{
    static Announcer a;
    return a;
}

// The announcer's answer to WM_GETOBJECT: the texts said, as its client
// object. False when it has none to give (the default answer serves).
bool answer_get_object(HWND window, WPARAM wparam, LPARAM lparam, LRESULT& result)
{
    Announcer& a = announcer();
    if (static_cast<LONG>(static_cast<DWORD>(lparam)) != OBJID_CLIENT || a.said_count == 0)
        return false;
    using FromObject = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
    static const auto from_object = platform::system_function_as<FromObject>("oleacc.dll", "LresultFromObject");
    IAccessible* object = from_object ? new_accessible_text(a.said, a.said_count, window) : nullptr;
    if (!object)
        return false;
    result = from_object(__uuidof(IAccessible), wparam, object);
    // A host thread without COM: marshalling needs an apartment, and the
    // implicit multithreaded one serves once the process has one.
    if (static_cast<HRESULT>(result) == CO_E_NOTINITIALIZED && a.mta.keep())
        result = from_object(__uuidof(IAccessible), wparam, object);
    object->Release();
    return result > 0;
}

LRESULT CALLBACK announcer_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    LRESULT object = 0;
    if (message == WM_GETOBJECT && answer_get_object(window, wparam, lparam, object))
        return object;
    if (message == WM_MOUSEACTIVATE)
        return MA_NOACTIVATE;
    return DefWindowProcA(window, message, wparam, lparam);
}

HWND ensure_window()
{
    Announcer& a = announcer();
    if (a.window && IsWindow(a.window)) {
        // Top-most at the time of every event, whatever happened to it.
        if (!(GetWindowLongPtrA(a.window, GWL_EXSTYLE) & WS_EX_TOPMOST))
            SetWindowPos(a.window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
        return a.window;
    }
    if (!a.class_registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = announcer_proc;
        wc.hInstance = this_module();
        wc.lpszClassName = kAnnouncerClass;
        a.class_registered = RegisterClassA(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }
    // Never shown and never activated: it only carries the events.
    a.window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kAnnouncerClass, kAnnouncerTitle,
                               WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, this_module(), nullptr);
    return a.window;
}

bool foreground_is_this_process()
{
    DWORD process = 0;
    HWND foreground = platform::desktop().GetForegroundWindow();
    return foreground && GetWindowThreadProcessId(foreground, &process) && process == GetCurrentProcessId();
}

void raise(const wchar_t* text, std::size_t length)
{
    Announcer& a = announcer();
    HWND window = ensure_window();
    if (!window)
        return;
    if (a.said_count == kKeptAnnouncements) {
        for (std::size_t i = 1; i < kKeptAnnouncements; ++i)
            a.said[i - 1] = a.said[i];
        --a.said_count;
    }
    SaidText& said = a.said[a.said_count++];
    a.last_child = a.last_child == MAXLONG ? 1 : a.last_child + 1;
    said.child = a.last_child;
    const std::size_t n = length < MAX_PATH - 1 ? length : MAX_PATH - 1;
    for (std::size_t i = 0; i < n; ++i)
        said.text[i] = text[i];
    said.text[n] = L'\0';

    const auto notify = platform::accessibility().RaiseNotification;
    const bool notified = notify && SUCCEEDED(notify(window, said.text));
    // NVDA speaks a UI Automation notification only when it comes from the
    // application with the focus, and takes an alert from there as well:
    // then the notification alone is raised, so that it is heard once.
    if (notified && foreground_is_this_process())
        return;
    // The alert names its text by child id: a reader that fetches the
    // object after later texts were said still reads this one.
    NotifyWinEvent(EVENT_SYSTEM_ALERT, window, OBJID_CLIENT, said.child);
}

void say_pending()
{
    Announcer& a = announcer();
    if (!a.has_pending)
        return;
    a.has_pending = false;
    if (a.window)
        KillTimer(a.window, kSettleTimer);
    raise(a.pending, lstrlenW(a.pending));
}

void CALLBACK settled(HWND, UINT, UINT_PTR, DWORD) { say_pending(); }

} // namespace

void say(const wchar_t* text, std::size_t length, Timing timing)
{
    Announcer& a = announcer();
    if (timing == Timing::WhenSettled) {
        HWND window = ensure_window();
        if (!window)
            return;
        const std::size_t n = length < MAX_PATH - 1 ? length : MAX_PATH - 1;
        for (std::size_t i = 0; i < n; ++i)
            a.pending[i] = text[i];
        a.pending[n] = L'\0';
        // Each step starts the wait again.
        if (SetTimer(window, kSettleTimer, kSettleMs, settled)) {
            a.has_pending = true;
            return;
        }
        a.has_pending = false;
        raise(a.pending, n);
        return;
    }
    say_pending();
    raise(text, length);
}

HWND announcer_window() { return announcer().window; }

void destroy_announcer()
{
    Announcer& a = announcer();
    a.has_pending = false;
    // While the apartment that marshalled them is still there.
    disconnect_accessible_texts();
    // Closed by its own thread, as the other windows are.
    if (a.window && IsWindow(a.window))
        SendMessageA(a.window, WM_CLOSE, 0, 0);
    a.window = nullptr;
    if (a.class_registered && UnregisterClassA(kAnnouncerClass, this_module()))
        a.class_registered = false;
    a.said_count = 0;
    a.mta.release();
}

} // namespace vx::osd
