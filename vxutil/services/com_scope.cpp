#include "services/com_scope.h"

namespace vx {
namespace {

struct KeeperStart {
    HANDLE joined;
    HANDLE release;
    bool in_mta;
};

DWORD WINAPI keep_mta_alive(void* param)
{
    auto& start = *static_cast<KeeperStart*>(param);
    const HANDLE release = start.release;
    const bool in_mta = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    start.in_mta = in_mta;
    SetEvent(start.joined); // `start` is gone after this
    WaitForSingleObject(release, INFINITE);
    if (in_mta)
        CoUninitialize();
    return 0;
}

using GetApartmentType = HRESULT(WINAPI*)(APTTYPE*, APTTYPEQUALIFIER*);

// Whether the calling thread joined an apartment itself. CoGetApartmentType
// (Windows 7 and later) answers without initialising anything; before it
// there is no such probe, and every call goes to a thread of our own.
bool in_own_apartment()
{
    static const auto get_type = [] {
        const HMODULE ole = GetModuleHandleA("ole32.dll");
        return ole ? reinterpret_cast<GetApartmentType>(
                         reinterpret_cast<void*>(GetProcAddress(ole, "CoGetApartmentType")))
                   : nullptr;
    }();
    APTTYPE type = APTTYPE_CURRENT;
    APTTYPEQUALIFIER qualifier = APTTYPEQUALIFIER_NONE;
    if (!get_type || get_type(&type, &qualifier) != S_OK)
        return false;
    // Implicit members of the multithreaded apartment lose it when its last
    // explicit member leaves, perhaps in the middle of the call.
    return qualifier != APTTYPEQUALIFIER_IMPLICIT_MTA && qualifier != APTTYPEQUALIFIER_NA_ON_IMPLICIT_MTA;
}

struct ApartmentCall {
    void (*call)(void*);
    void* context;
    DWORD last_error;
};

DWORD WINAPI run_in_sta(void* param)
{
    auto& c = *static_cast<ApartmentCall*>(param);
    // The shell's recommended apartment for ShellExecuteEx and its extensions.
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    c.call(c.context);
    c.last_error = GetLastError();
    if (SUCCEEDED(hr))
        CoUninitialize();
    return 0;
}

// Waits for `thread` to end, handling only the messages other threads send
// to the calling thread's windows: posted messages and input stay queued for
// the host's own loop.
void wait_handling_sent_messages(HANDLE thread)
{
    for (;;) {
        const DWORD woke = MsgWaitForMultipleObjectsEx(1, &thread, INFINITE, QS_SENDMESSAGE, 0);
        if (woke == WAIT_OBJECT_0)
            return;
        if (woke != WAIT_OBJECT_0 + 1) {
            // The thread uses the caller's stack: it must end before we return.
            WaitForSingleObject(thread, INFINITE);
            return;
        }
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

} // namespace

void run_in_apartment(void (*call)(void*), void* context)
{
    if (in_own_apartment()) {
        call(context);
        return;
    }
    ApartmentCall c{call, context, ERROR_SUCCESS};
    const HANDLE thread = CreateThread(nullptr, 0, run_in_sta, &c, 0, nullptr);
    if (!thread) {
        // No thread to spare: the call runs as this thread is, and its COM
        // calls fail (or use the implicit multithreaded apartment).
        call(context);
        return;
    }
    wait_handling_sent_messages(thread);
    CloseHandle(thread);
    SetLastError(c.last_error);
}

MtaAnchor::MtaAnchor(Increment increment, Decrement decrement) : decrement_(decrement)
{
    if (increment && decrement) {
        if (SUCCEEDED(increment(&cookie_)) && cookie_)
            return;
        cookie_ = nullptr;
    }
    KeeperStart start{CreateEventA(nullptr, TRUE, FALSE, nullptr), CreateEventA(nullptr, TRUE, FALSE, nullptr), false};
    if (start.joined && start.release)
        keeper_ = CreateThread(nullptr, 0, keep_mta_alive, &start, 0, nullptr);
    if (keeper_) {
        // The apartment must exist before the caller's first COM call.
        WaitForSingleObject(start.joined, INFINITE);
        release_ = start.release;
        start.release = nullptr;
        if (!start.in_mta) {
            SetEvent(release_);
            WaitForSingleObject(keeper_, INFINITE);
            CloseHandle(keeper_);
            CloseHandle(release_);
            keeper_ = release_ = nullptr;
        }
    }
    if (start.joined)
        CloseHandle(start.joined);
    if (start.release)
        CloseHandle(start.release);
}

MtaAnchor::~MtaAnchor()
{
    if (cookie_)
        decrement_(cookie_);
    if (keeper_) {
        SetEvent(release_);
        WaitForSingleObject(keeper_, INFINITE);
        CloseHandle(keeper_);
        CloseHandle(release_);
    }
}

} // namespace vx
