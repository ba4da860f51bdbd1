// COM on the host's thread for the length of one call. The library runs on
// the host's thread and must leave its COM state as it found it: an
// initialisation that succeeded (S_OK, or S_FALSE when the host had already
// joined that apartment) is undone at the end of the call; a thread the host
// put in the other apartment (RPC_E_CHANGED_MODE) is used as it is.
#pragma once
#include <objbase.h>

namespace vx {

class ComScope {
public:
    explicit ComScope(DWORD apartment = COINIT_APARTMENTTHREADED) : hr_(CoInitializeEx(nullptr, apartment)) {}
    ~ComScope()
    {
        if (SUCCEEDED(hr_))
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT hr_;
};

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
