// COM for the shell calls, without touching the calling thread's COM state.
// The library runs on the host's thread and must leave it as it found it:
// no CoInitializeEx there, not even for the length of one call, since the
// host may join an apartment of its choosing at any time (OleInitialize
// fails once the thread went to the other one).
#pragma once
#include <objbase.h>

#include <exception>
#include <type_traits>

namespace vx {

// Runs `call(context)` where COM can be used: on the calling thread when it
// is in an apartment of its own (an STA or the MTA it joined), else on a
// short-lived thread of the library's own that joins a single-threaded
// apartment for the call. A thread with no COM, or one only implicitly in
// the process's multithreaded apartment, is never initialised. While the
// other thread runs, the caller handles messages sent to its windows (a shell
// call may send to every top-level window) and nothing else; its last error
// is the other thread's when the call ends.
void run_in_apartment(void (*call)(void*), void* context);

// `body()` run by run_in_apartment; its result is returned and an exception
// it throws is thrown again on the calling thread. Whatever depends on the
// calling thread (input attachment, foreground activation, windows that must
// outlive the call) stays outside `body`. A shell execution in `body` must
// not finish asynchronously (SEE_MASK_NOASYNC): its thread may end right
// after.
template <class Fn>
auto with_com(Fn&& body) -> std::invoke_result_t<Fn&>
{
    struct Call {
        Fn& body;
        std::invoke_result_t<Fn&> result{};
        std::exception_ptr error;
    } call{body, {}, {}};
    run_in_apartment(
        [](void* context) {
            auto& c = *static_cast<Call*>(context);
            try {
                c.result = c.body();
            } catch (...) {
                c.error = std::current_exception();
            }
        },
        &call);
    if (call.error)
        std::rethrow_exception(call.error);
    return call.result;
}

// Keeps the process's multithreaded apartment alive while the library holds
// COM objects between calls, without putting the host's thread in any
// apartment: a host thread that never initialised COM then belongs to the
// multithreaded apartment implicitly and uses those objects, an STA or MTA
// thread stays as it was, and no CoUninitialize of the host unloads the
// objects' servers under them. Windows 8 and later do this with
// CoIncrementMTAUsage; where it is missing (`increment` null, Windows 7 and
// before) a thread of the library's own joins the apartment and waits until
// the anchor is released. Its code is in this module: whoever holds an anchor
// across calls keeps the module loaded (see the volume keys' pinning).
class MtaAnchor {
public:
    using Increment = HRESULT(WINAPI*)(void** cookie);
    using Decrement = HRESULT(WINAPI*)(void* cookie);

    MtaAnchor(Increment increment, Decrement decrement);
    ~MtaAnchor();
    MtaAnchor(const MtaAnchor&) = delete;
    MtaAnchor& operator=(const MtaAnchor&) = delete;

    // False when neither way worked: the apartment may not exist.
    bool held() const { return cookie_ || keeper_; }

private:
    Decrement decrement_;
    void* cookie_ = nullptr;
    HANDLE keeper_ = nullptr;
    HANDLE release_ = nullptr;
};

} // namespace vx
