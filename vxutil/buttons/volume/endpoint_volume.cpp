// The speakers line as the default render endpoint's master volume through
// Core Audio (Windows Vista and later).
#include "buttons/volume/volume_backends.h"
#include "platform/audio_seam.h"
#include "services/com_scope.h"

#include <endpointvolume.h>

namespace vx::mixer {
namespace {

MMRESULT to_mmresult(HRESULT hr) { return SUCCEEDED(hr) ? MMSYSERR_NOERROR : MMSYSERR_ERROR; }

// Forwards endpoint volume and mute changes to the host's window as the
// mixer's callback window would receive them. Called on an audio thread;
// PostMessage is safe from there. One static instance, never freed.
class ChangeForwarder final : public IAudioEndpointVolumeCallback {
public:
    void attach(HWND window, BOOL muted)
    {
        window_ = window;
        last_muted_ = muted;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IAudioEndpointVolumeCallback)) {
            *out = static_cast<IAudioEndpointVolumeCallback*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE OnNotify(AUDIO_VOLUME_NOTIFICATION_DATA* data) override
    {
        const HWND window = window_;
        if (!data || !window)
            return S_OK;
        if (data->bMuted != last_muted_) {
            last_muted_ = data->bMuted;
            PostMessageA(window, MM_MIXM_CONTROL_CHANGE, 0, kEndpointMuteControlId);
        }
        PostMessageA(window, MM_MIXM_CONTROL_CHANGE, 0, kEndpointVolumeControlId);
        return S_OK;
    }

private:
    volatile HWND window_ = nullptr;
    volatile BOOL last_muted_ = FALSE;
};

ChangeForwarder g_forwarder;

// Once the audio system holds our callback, this module must stay loaded for
// the life of the process: there is no call that unregisters it before the
// host frees the library.
void pin_this_module()
{
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCSTR>(&g_forwarder), &self);
}

class EndpointVolume final : public SpeakerLine {
public:
    EndpointVolume(IAudioEndpointVolume* endpoint, std::wstring device, HWND notify)
        : endpoint_(endpoint), device_(std::move(device))
    {
        if (notify) {
            BOOL muted = FALSE;
            endpoint_->GetMute(&muted);
            g_forwarder.attach(notify, muted);
            if (SUCCEEDED(endpoint_->RegisterControlChangeNotify(&g_forwarder))) {
                registered_ = true;
                pin_this_module();
            }
        }
    }

    ~EndpointVolume() override
    {
        if (registered_)
            endpoint_->UnregisterControlChangeNotify(&g_forwarder);
        endpoint_->Release();
    }

    // The user may switch the default device (plug in a headset, pick HDMI);
    // the keys must move what is heard now.
    bool current() override { return platform::audio().default_render_endpoint_id() == device_; }

    MMRESULT read_levels(ChannelLevels& levels) override
    {
        levels = {};
        UINT channels = 0;
        if (FAILED(endpoint_->GetChannelCount(&channels)))
            return MMSYSERR_ERROR;
        if (channels > volume::kMaxChannels) {
            float master = 0.0f;
            levels.count = 1;
            const HRESULT hr = endpoint_->GetMasterVolumeLevelScalar(&master);
            levels.value[0] = volume::level_from_scalar(master);
            return to_mmresult(hr);
        }
        levels.count = channels;
        for (UINT i = 0; i < channels; ++i) {
            float scalar = 0.0f;
            const HRESULT hr = endpoint_->GetChannelVolumeLevelScalar(i, &scalar);
            if (FAILED(hr))
                return MMSYSERR_ERROR;
            levels.value[i] = volume::level_from_scalar(scalar);
        }
        return MMSYSERR_NOERROR;
    }

    MMRESULT write_levels(const ChannelLevels& levels) override
    {
        UINT channels = 0;
        if (FAILED(endpoint_->GetChannelCount(&channels)))
            return MMSYSERR_ERROR;
        if (channels > volume::kMaxChannels)
            return to_mmresult(endpoint_->SetMasterVolumeLevelScalar(volume::scalar_from_level(levels.value[0]), nullptr));
        const UINT count = channels < levels.count ? channels : levels.count;
        for (UINT i = 0; i < count; ++i) {
            const HRESULT hr = endpoint_->SetChannelVolumeLevelScalar(i, volume::scalar_from_level(levels.value[i]), nullptr);
            if (FAILED(hr))
                return MMSYSERR_ERROR;
        }
        return MMSYSERR_NOERROR;
    }

    MMRESULT read_mute(std::uint32_t& value) override
    {
        BOOL muted = FALSE;
        const HRESULT hr = endpoint_->GetMute(&muted);
        value = static_cast<std::uint32_t>(muted);
        return to_mmresult(hr);
    }

    MMRESULT write_mute(std::uint32_t value) override
    {
        return to_mmresult(endpoint_->SetMute(static_cast<BOOL>(value), nullptr));
    }

private:
    // Declared first, so it outlives the endpoint's release.
    MtaAnchor anchor_;
    IAudioEndpointVolume* endpoint_;
    std::wstring device_;
    bool registered_ = false;
};

} // namespace

OpenedLine open_endpoint_volume(HWND notify)
{
    // From the first COM call on: no CoUninitialize of the host's thread may
    // unload the audio objects while they are being handed over.
    MtaAnchor opening;
    std::wstring device;
    IAudioEndpointVolume* endpoint = platform::audio().open_default_render_endpoint(device);
    if (!endpoint)
        return {};
    // An endpoint that cannot even report its channels (a stub driver; Wine's
    // endpoint volume is one) is unusable for the keys: let the caller fall
    // back to the mixer.
    UINT channels = 0;
    if (FAILED(endpoint->GetChannelCount(&channels))) {
        endpoint->Release();
        return {};
    }
    return {std::make_unique<EndpointVolume>(endpoint, std::move(device), notify), true, MMSYSERR_NOERROR};
}

} // namespace vx::mixer
