#include "platform/audio_seam.h"

#include <initguid.h>
#include <mmdeviceapi.h>
#include <endpointvolume.h>

#include "services/com_scope.h"

namespace vx::platform {
namespace {

// Each call runs in COM of its own (see ComScope); the objects it hands out
// are free-threaded, and the endpoint backend keeps the multithreaded
// apartment alive while it holds them.
IMMDevice* default_render_device()
{
    IMMDeviceEnumerator* enumerator = nullptr;
    if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_INPROC_SERVER,
                                __uuidof(IMMDeviceEnumerator), reinterpret_cast<void**>(&enumerator))))
        return nullptr;
    IMMDevice* device = nullptr;
    const HRESULT found = enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &device);
    enumerator->Release();
    return SUCCEEDED(found) ? device : nullptr;
}

std::wstring device_id(IMMDevice* device)
{
    LPWSTR id = nullptr;
    if (FAILED(device->GetId(&id)) || !id)
        return {};
    std::wstring text(id);
    CoTaskMemFree(id);
    return text;
}

std::wstring real_default_render_endpoint_id()
{
    ComScope com(COINIT_MULTITHREADED);
    IMMDevice* device = default_render_device();
    if (!device)
        return {};
    const std::wstring id = device_id(device);
    device->Release();
    return id;
}

IAudioEndpointVolume* open_real_default_render_endpoint(std::wstring& id)
{
    ComScope com(COINIT_MULTITHREADED);
    IMMDevice* device = default_render_device();
    if (!device)
        return nullptr;
    id = device_id(device);
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
        real_default_render_endpoint_id,
    };
    return seam;
}

} // namespace vx::platform
