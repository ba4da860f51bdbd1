#include "platform/audio_seam.h"

#include <initguid.h>
#include <mmdeviceapi.h>
#include <endpointvolume.h>

namespace vx::platform {
namespace {

IAudioEndpointVolume* open_real_default_render_endpoint()
{
    // The host may or may not have initialised COM on its thread; either
    // apartment works for these calls, so a changed mode is not an error.
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    (void)init;
    IMMDeviceEnumerator* enumerator = nullptr;
    if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_INPROC_SERVER,
                                __uuidof(IMMDeviceEnumerator), reinterpret_cast<void**>(&enumerator))))
        return nullptr;
    IMMDevice* device = nullptr;
    const HRESULT found = enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &device);
    enumerator->Release();
    if (FAILED(found) || !device)
        return nullptr;
    IAudioEndpointVolume* volume = nullptr;
    const HRESULT activated = device->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_INPROC_SERVER, nullptr,
                                               reinterpret_cast<void**>(&volume));
    device->Release();
    return SUCCEEDED(activated) ? volume : nullptr;
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
        open_real_default_render_endpoint,
    };
    return seam;
}

} // namespace vx::platform
