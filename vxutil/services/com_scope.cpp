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

} // namespace

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
