// The speakers line as the default render endpoint's master volume through
// Core Audio (Windows Vista and later), following the default device.
#include "buttons/volume/volume_backends.h"
#include "platform/audio_seam.h"
#include "services/com_scope.h"

#include <audioclient.h>
#include <endpointvolume.h>
#include <mmdeviceapi.h>

namespace vx::mixer {
namespace {

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

// Counts Core Audio's device notifications. Called on audio threads, so it
// touches nothing of the host's: the host's thread compares the count with
// the one its endpoint was opened at. One static instance, never freed.
class DeviceChanges final : public IMMNotificationClient {
public:
    LONG count() const { return InterlockedCompareExchange(const_cast<volatile LONG*>(&count_), 0, 0); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IMMNotificationClient)) {
            *out = static_cast<IMMNotificationClient*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow flow, ERole role, LPCWSTR) override
    {
        if (flow == eRender && role == eConsole)
            changed();
        return S_OK;
    }
    // A device that is unplugged, disabled, added or removed may be the held
    // one or the next default; reopening once is cheaper than finding out.
    HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR, DWORD) override { return changed(); }
    HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) override { return changed(); }
    HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR) override { return changed(); }
    HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) override { return S_OK; }

private:
    HRESULT changed()
    {
        InterlockedIncrement(&count_);
        return S_OK;
    }

    volatile LONG count_ = 0;
};

ChangeForwarder g_forwarder;
DeviceChanges g_device_changes;

// From the first followed endpoint on, this module stays loaded for the life
// of the process: the audio system holds our callbacks and may be calling
// one on an audio thread while the host frees the library, and the apartment
// keeper (Windows 7) waits in this module's code. FreeLibrary then leaves it
// mapped instead of pulling code from under those threads.
void pin_this_module()
{
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCSTR>(&g_device_changes), &self);
}

// The endpoint is gone under us (replugged device, driver restart, audio
// service restart): a freshly opened one works again.
bool endpoint_lost(HRESULT hr)
{
    return hr == AUDCLNT_E_DEVICE_INVALIDATED || hr == AUDCLNT_E_SERVICE_NOT_RUNNING ||
           hr == AUDCLNT_E_ENDPOINT_CREATE_FAILED || hr == RPC_E_DISCONNECTED ||
           hr == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE) || hr == HRESULT_FROM_WIN32(RPC_S_CALL_FAILED);
}

HRESULT read_levels_of(IAudioEndpointVolume* endpoint, ChannelLevels& levels)
{
    levels = {};
    UINT channels = 0;
    if (const HRESULT hr = endpoint->GetChannelCount(&channels); FAILED(hr))
        return hr;
    if (channels > volume::kMaxChannels) {
        float master = 0.0f;
        levels.count = 1;
        const HRESULT hr = endpoint->GetMasterVolumeLevelScalar(&master);
        levels.value[0] = volume::level_from_scalar(master);
        return hr;
    }
    for (UINT i = 0; i < channels; ++i) {
        float scalar = 0.0f;
        if (const HRESULT hr = endpoint->GetChannelVolumeLevelScalar(i, &scalar); FAILED(hr)) {
            levels = {};
            return hr;
        }
        levels.value[i] = volume::level_from_scalar(scalar);
    }
    levels.count = channels;
    return S_OK;
}

HRESULT write_levels_of(IAudioEndpointVolume* endpoint, const ChannelLevels& levels)
{
    UINT channels = 0;
    if (const HRESULT hr = endpoint->GetChannelCount(&channels); FAILED(hr))
        return hr;
    if (channels > volume::kMaxChannels)
        return endpoint->SetMasterVolumeLevelScalar(volume::scalar_from_level(levels.value[0]), nullptr);
    const UINT count = channels < levels.count ? channels : levels.count;
    for (UINT i = 0; i < count; ++i) {
        if (const HRESULT hr = endpoint->SetChannelVolumeLevelScalar(i, volume::scalar_from_level(levels.value[i]), nullptr);
            FAILED(hr))
            return hr;
    }
    return S_OK;
}

class FollowedEndpoint final : public EndpointLine {
public:
    explicit FollowedEndpoint(HWND notify)
        : anchor_(platform::audio().CoIncrementMTAUsage, platform::audio().CoDecrementMTAUsage), notify_(notify)
    {
    }

    // False when Core Audio cannot be used at all.
    bool start()
    {
        if (!anchor_.held())
            return false;
        pin_this_module();
        enumerator_ = platform::audio().create_device_enumerator();
        if (!enumerator_)
            return false;
        seen_ = g_device_changes.count();
        registered_ = SUCCEEDED(enumerator_->RegisterEndpointNotificationCallback(&g_device_changes));
        reopen();
        return true;
    }

    ~FollowedEndpoint() override
    {
        close_endpoint();
        if (enumerator_) {
            if (registered_)
                enumerator_->UnregisterEndpointNotificationCallback(&g_device_changes);
            enumerator_->Release();
        }
    }

    bool usable() override
    {
        const LONG changes = g_device_changes.count();
        if (changes != seen_) {
            seen_ = changes;
            reopen();
        }
        return endpoint_ != nullptr;
    }

    MMRESULT read_levels(ChannelLevels& levels) override
    {
        levels = {};
        return call([&](IAudioEndpointVolume* e) { return read_levels_of(e, levels); });
    }

    MMRESULT write_levels(const ChannelLevels& levels) override
    {
        return call([&](IAudioEndpointVolume* e) { return write_levels_of(e, levels); });
    }

    MMRESULT read_mute(std::uint32_t& value) override
    {
        value = 0;
        return call([&](IAudioEndpointVolume* e) {
            BOOL muted = FALSE;
            const HRESULT hr = e->GetMute(&muted);
            value = static_cast<std::uint32_t>(muted);
            return hr;
        });
    }

    MMRESULT write_mute(std::uint32_t value) override
    {
        return call([&](IAudioEndpointVolume* e) { return e->SetMute(static_cast<BOOL>(value), nullptr); });
    }

private:
    template <class Fn>
    MMRESULT call(Fn fn)
    {
        if (!usable())
            return MMSYSERR_NODRIVER;
        HRESULT hr = fn(endpoint_);
        if (endpoint_lost(hr)) {
            reopen();
            if (!endpoint_)
                return MMSYSERR_NODRIVER;
            hr = fn(endpoint_);
        }
        return SUCCEEDED(hr) ? MMSYSERR_NOERROR : MMSYSERR_ERROR;
    }

    void close_endpoint()
    {
        if (!endpoint_)
            return;
        if (forwarding_)
            endpoint_->UnregisterControlChangeNotify(&g_forwarder);
        endpoint_->Release();
        endpoint_ = nullptr;
        forwarding_ = false;
    }

    // The default render endpoint now, on the enumerator held since start.
    void reopen()
    {
        close_endpoint();
        IMMDevice* device = nullptr;
        if (FAILED(enumerator_->GetDefaultAudioEndpoint(eRender, eConsole, &device)) || !device)
            return;
        IAudioEndpointVolume* endpoint = nullptr;
        const HRESULT activated = device->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_INPROC_SERVER, nullptr,
                                                   reinterpret_cast<void**>(&endpoint));
        device->Release();
        if (FAILED(activated) || !endpoint)
            return;
        // An endpoint that cannot even report its channels (a stub driver;
        // Wine's endpoint volume is one) is unusable for the keys.
        UINT channels = 0;
        if (FAILED(endpoint->GetChannelCount(&channels))) {
            endpoint->Release();
            return;
        }
        endpoint_ = endpoint;
        if (notify_) {
            BOOL muted = FALSE;
            endpoint_->GetMute(&muted);
            g_forwarder.attach(notify_, muted);
            forwarding_ = SUCCEEDED(endpoint_->RegisterControlChangeNotify(&g_forwarder));
        }
    }

    // Declared first, so the apartment outlives every object below.
    MtaAnchor anchor_;
    HWND notify_;
    IMMDeviceEnumerator* enumerator_ = nullptr;
    IAudioEndpointVolume* endpoint_ = nullptr;
    LONG seen_ = 0;
    bool registered_ = false;
    bool forwarding_ = false;
};

} // namespace

std::unique_ptr<EndpointLine> follow_default_endpoint(HWND notify)
{
    auto line = std::make_unique<FollowedEndpoint>(notify);
    if (!line->start())
        return nullptr;
    return line;
}

} // namespace vx::mixer
