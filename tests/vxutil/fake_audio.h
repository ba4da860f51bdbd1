// Audio devices for the tests: a winmm mixer with chosen devices and lines,
// and Core Audio's device enumerator with one default render endpoint that
// can be invalidated, removed and added, installed through the audio seam.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <endpointvolume.h>
#include <audioclient.h>
#include <mmdeviceapi.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/audio_seam.h"
#include "platform/seam.h"
#include "platform/system_seam.h"

namespace vxtest {

struct FakeMixerDevice {
    bool has_speakers = true;
    bool has_volume = true;
    DWORD line_id = 0x10000;
    DWORD mute_id = 7;
    DWORD volume_id = 8;
    std::vector<std::uint32_t> levels{0x8000, 0x8000};
    std::uint32_t mute = 0;
};

// The winmm side. Handles are 0x100 + device id; the fake resolves a value
// below 0x100 as a device id, as winmm does for MIXER_OBJECTF_MIXER.
struct FakeMixer {
    std::vector<FakeMixerDevice> devices;
    std::vector<UINT> opened;
    std::vector<HMIXER> closed;
    std::vector<DWORD> query_flags;    // flags of every line, control and detail call
    std::vector<DWORD> detail_channels; // cChannels of every volume detail call
    DWORD_PTR callback = 0;
    DWORD open_flags = 0;
    int writes = 0;
};

class FakeEndpoint final : public IAudioEndpointVolume {
public:
    std::vector<float> channels{0.5f, 0.5f};
    float master = 0.5f;
    BOOL mute = FALSE;
    IAudioEndpointVolumeCallback* callback = nullptr;
    int master_writes = 0;
    bool channel_count_works = true;
    // A replugged device, a restarted driver or audio service: every call
    // fails as Core Audio's do then.
    bool invalidated = false;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { *out = nullptr; return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE RegisterControlChangeNotify(IAudioEndpointVolumeCallback* c) override { callback = c; return S_OK; }
    HRESULT STDMETHODCALLTYPE UnregisterControlChangeNotify(IAudioEndpointVolumeCallback*) override { callback = nullptr; return S_OK; }
    HRESULT STDMETHODCALLTYPE GetChannelCount(UINT* n) override
    {
        if (invalidated) return AUDCLNT_E_DEVICE_INVALIDATED;
        if (!channel_count_works) return E_NOTIMPL;
        *n = static_cast<UINT>(channels.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetMasterVolumeLevel(FLOAT, LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMasterVolumeLevelScalar(FLOAT v, LPCGUID) override { if (invalidated) return AUDCLNT_E_DEVICE_INVALIDATED; master = v; ++master_writes; return S_OK; }
    HRESULT STDMETHODCALLTYPE GetMasterVolumeLevel(FLOAT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMasterVolumeLevelScalar(FLOAT* v) override { if (invalidated) return AUDCLNT_E_DEVICE_INVALIDATED; *v = master; return S_OK; }
    HRESULT STDMETHODCALLTYPE SetChannelVolumeLevel(UINT, FLOAT, LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetChannelVolumeLevelScalar(UINT i, FLOAT v, LPCGUID) override
    {
        if (invalidated) return AUDCLNT_E_DEVICE_INVALIDATED;
        if (i >= channels.size()) return E_INVALIDARG;
        channels[i] = v;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetChannelVolumeLevel(UINT, FLOAT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetChannelVolumeLevelScalar(UINT i, FLOAT* v) override
    {
        if (invalidated) return AUDCLNT_E_DEVICE_INVALIDATED;
        if (i >= channels.size()) return E_INVALIDARG;
        *v = channels[i];
        return S_OK;
    }
    // S_FALSE, a success, when the endpoint already had that state.
    HRESULT STDMETHODCALLTYPE SetMute(WINBOOL m, LPCGUID) override
    {
        if (invalidated) return AUDCLNT_E_DEVICE_INVALIDATED;
        const bool same = (m != FALSE) == (mute != FALSE);
        mute = m;
        return same ? S_FALSE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMute(WINBOOL* m) override
    {
        if (invalidated) return AUDCLNT_E_DEVICE_INVALIDATED;
        if (FAILED(mute_read)) return mute_read;
        *m = mute;
        return S_OK;
    }
    HRESULT mute_read = S_OK;
    HRESULT STDMETHODCALLTYPE GetVolumeStepInfo(UINT*, UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE VolumeStepUp(LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE VolumeStepDown(LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryHardwareSupport(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetVolumeRange(FLOAT*, FLOAT*, FLOAT*) override { return E_NOTIMPL; }

    ULONG refs = 1;
};

// Core Audio's device enumerator and the default render device it hands
// out; they live as long as the FakeAudio and count what is asked of them.
class FakeDevice final : public IMMDevice {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { *out = nullptr; return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE Activate(REFIID iid, DWORD, PROPVARIANT*, void** out) override;
    HRESULT STDMETHODCALLTYPE OpenPropertyStore(DWORD, IPropertyStore**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetId(LPWSTR* id) override;
    HRESULT STDMETHODCALLTYPE GetState(DWORD* state) override { *state = DEVICE_STATE_ACTIVE; return S_OK; }
    ULONG refs = 0;
};

class FakeEnumerator final : public IMMDeviceEnumerator {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { *out = nullptr; return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE EnumAudioEndpoints(EDataFlow, DWORD, IMMDeviceCollection**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDefaultAudioEndpoint(EDataFlow flow, ERole role, IMMDevice** out) override;
    HRESULT STDMETHODCALLTYPE GetDevice(LPCWSTR, IMMDevice**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RegisterEndpointNotificationCallback(IMMNotificationClient* c) override { client = c; return S_OK; }
    HRESULT STDMETHODCALLTYPE UnregisterEndpointNotificationCallback(IMMNotificationClient*) override { client = nullptr; return S_OK; }
    ULONG refs = 0;
    int created = 0;         // enumerators the seam handed out
    int default_lookups = 0; // GetDefaultAudioEndpoint calls
    IMMNotificationClient* client = nullptr;
};

// Installs the fakes for one test: the mixer always, the endpoint when one is
// given (otherwise the system has no render endpoint), and a Windows version.
// The apartment calls stay the real ones unless a test overrides them.
class FakeAudio {
public:
    FakeAudio(DWORD major, DWORD minor, DWORD platform = VER_PLATFORM_WIN32_NT);
    ~FakeAudio();

    FakeMixer mixer;
    // The default render device: its endpoint (none when null) and its id.
    std::unique_ptr<FakeEndpoint> endpoint;
    std::wstring endpoint_id = L"speakers";
    FakeEnumerator enumerator;
    FakeDevice device;

    // Calls the registered notification client on a thread of its own, as
    // the audio service does, and waits for it.
    void notify(const std::function<void(IMMNotificationClient&)>& call);
    // The user (or Windows) made the current `endpoint` the default: added
    // and default-changed notifications.
    void default_device_changed();

private:
    vx::platform::ScopedSeam<vx::platform::AudioSeam> audio_;
    vx::platform::SeamOverride<decltype(vx::platform::SystemSeam::GetVersionExA)> version_;
};

// Version answers for the version seam.
void set_fake_version(DWORD platform, DWORD major, DWORD minor);
BOOL WINAPI fake_version(LPOSVERSIONINFOA info);

} // namespace vxtest
