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
// COM objects between calls, without putting the host's thread in it: a
// thread that never initialised COM then still uses those objects, and no
// CoUninitialize of the host unloads their servers under them. Windows 8
// and later do this with CoIncrementMTAUsage; before that the thread that
// takes the anchor stays in the multithreaded apartment until it is
// released (on the same thread).
class MtaAnchor {
public:
    MtaAnchor();
    ~MtaAnchor();
    MtaAnchor(const MtaAnchor&) = delete;
    MtaAnchor& operator=(const MtaAnchor&) = delete;

private:
    void* cookie_ = nullptr;
    bool initialised_ = false;
};

} // namespace vx
