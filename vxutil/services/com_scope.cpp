#include "services/com_scope.h"

namespace vx {
namespace {

template <class Fn>
Fn ole32_entry(const char* name)
{
    const HMODULE ole32 = GetModuleHandleA("ole32.dll");
    return ole32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(ole32, name))) : nullptr;
}

using IncrementMtaUsage = HRESULT(WINAPI*)(void** cookie);
using DecrementMtaUsage = HRESULT(WINAPI*)(void* cookie);

} // namespace

MtaAnchor::MtaAnchor()
{
    if (const auto increment = ole32_entry<IncrementMtaUsage>("CoIncrementMTAUsage")) {
        if (SUCCEEDED(increment(&cookie_)))
            return;
        cookie_ = nullptr;
    }
    initialised_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
}

MtaAnchor::~MtaAnchor()
{
    if (cookie_) {
        if (const auto decrement = ole32_entry<DecrementMtaUsage>("CoDecrementMTAUsage"))
            decrement(cookie_);
    } else if (initialised_) {
        CoUninitialize();
    }
}

} // namespace vx
