#include "platform/audio_seam.h"

#include <initguid.h>
#include <mmdeviceapi.h>

namespace vx::platform {
namespace {

// No CoInitializeEx here: the thread is the host's, and the caller keeps the
// multithreaded apartment alive, which a thread without COM then belongs to.
IMMDeviceEnumerator* create_real_device_enumerator()
{
    IMMDeviceEnumerator* enumerator = nullptr;
    if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_INPROC_SERVER,
                                __uuidof(IMMDeviceEnumerator), reinterpret_cast<void**>(&enumerator))))
        return nullptr;
    return enumerator;
}

template <class Fn>
Fn ole32_entry(const char* name)
{
    const HMODULE ole32 = GetModuleHandleA("ole32.dll");
    return ole32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(ole32, name))) : nullptr;
}

} // namespace

AudioSeam& audio()
{
    static AudioSeam seam{
        ::mixerGetNumDevs,
        ::mixerOpen,
        ::mixerClose,
        ::mixerGetLineInfoA,
        ::mixerGetLineControlsA,
        ::mixerGetControlDetailsA,
        ::mixerSetControlDetails,
        create_real_device_enumerator,
        ole32_entry<HRESULT(WINAPI*)(void**)>("CoIncrementMTAUsage"),
        ole32_entry<HRESULT(WINAPI*)(void*)>("CoDecrementMTAUsage"),
    };
    return seam;
}

} // namespace vx::platform
