#include "vxutil/fake_audio.h"

#include <algorithm>
#include <thread>

namespace vxtest {
namespace {

FakeAudio* g_current = nullptr;
OSVERSIONINFOA g_version{};

FakeMixerDevice* device_of(HMIXEROBJ object)
{
    const auto value = reinterpret_cast<std::uintptr_t>(object);
    const std::uintptr_t id = value >= 0x100 ? value - 0x100 : value;
    auto& devices = g_current->mixer.devices;
    return id < devices.size() ? &devices[id] : nullptr;
}

UINT WINAPI num_devs() { return static_cast<UINT>(g_current->mixer.devices.size()); }

MMRESULT WINAPI open(LPHMIXER handle, UINT id, DWORD_PTR callback, DWORD_PTR, DWORD flags)
{
    auto& m = g_current->mixer;
    m.opened.push_back(id);
    m.callback = callback;
    m.open_flags = flags;
    if (id >= m.devices.size())
        return MMSYSERR_BADDEVICEID;
    *handle = reinterpret_cast<HMIXER>(static_cast<std::uintptr_t>(0x100 + id));
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI close(HMIXER handle)
{
    g_current->mixer.closed.push_back(handle);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI line_info(HMIXEROBJ object, LPMIXERLINEA line, DWORD flags)
{
    g_current->mixer.query_flags.push_back(flags);
    auto* d = device_of(object);
    if (!d)
        return MMSYSERR_INVALHANDLE;
    if (line->dwComponentType != MIXERLINE_COMPONENTTYPE_DST_SPEAKERS || !d->has_speakers)
        return MIXERR_INVALLINE;
    line->dwLineID = d->line_id;
    line->cChannels = static_cast<DWORD>(d->levels.size());
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI line_controls(HMIXEROBJ object, LPMIXERLINECONTROLSA controls, DWORD flags)
{
    g_current->mixer.query_flags.push_back(flags);
    auto* d = device_of(object);
    if (!d || controls->dwLineID != d->line_id)
        return MIXERR_INVALLINE;
    if (controls->dwControlType == MIXERCONTROL_CONTROLTYPE_MUTE)
        controls->pamxctrl->dwControlID = d->mute_id;
    else if (controls->dwControlType == MIXERCONTROL_CONTROLTYPE_VOLUME && d->has_volume)
        controls->pamxctrl->dwControlID = d->volume_id;
    else
        return MIXERR_INVALCONTROL;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI get_details(HMIXEROBJ object, LPMIXERCONTROLDETAILS details, DWORD flags)
{
    auto& m = g_current->mixer;
    m.query_flags.push_back(flags);
    auto* d = device_of(object);
    if (!d)
        return MMSYSERR_INVALHANDLE;
    auto* out = static_cast<DWORD*>(details->paDetails);
    if (details->dwControlID == d->mute_id) {
        out[0] = d->mute;
        return MMSYSERR_NOERROR;
    }
    if (details->dwControlID != d->volume_id)
        return MIXERR_INVALCONTROL;
    m.detail_channels.push_back(details->cChannels);
    if (details->cChannels == 1 && d->levels.size() > 1) {
        out[0] = d->levels[0];
        return MMSYSERR_NOERROR;
    }
    if (details->cChannels != d->levels.size())
        return MMSYSERR_INVALPARAM;
    std::copy(d->levels.begin(), d->levels.end(), out);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI set_details(HMIXEROBJ object, LPMIXERCONTROLDETAILS details, DWORD flags)
{
    auto& m = g_current->mixer;
    m.query_flags.push_back(flags);
    auto* d = device_of(object);
    if (!d)
        return MMSYSERR_INVALHANDLE;
    const auto* in = static_cast<const DWORD*>(details->paDetails);
    ++m.writes;
    if (details->dwControlID == d->mute_id) {
        d->mute = in[0];
        return MMSYSERR_NOERROR;
    }
    if (details->dwControlID != d->volume_id)
        return MIXERR_INVALCONTROL;
    m.detail_channels.push_back(details->cChannels);
    if (details->cChannels == 1) {
        std::fill(d->levels.begin(), d->levels.end(), in[0]);
        return MMSYSERR_NOERROR;
    }
    if (details->cChannels != d->levels.size())
        return MMSYSERR_INVALPARAM;
    std::copy(in, in + details->cChannels, d->levels.begin());
    return MMSYSERR_NOERROR;
}

IMMDeviceEnumerator* create_enumerator()
{
    auto& e = g_current->enumerator;
    ++e.created;
    e.AddRef();
    return &e;
}

vx::platform::AudioSeam fake_seam()
{
    const auto& live = vx::platform::audio();
    return {num_devs,    open,        close,          line_info, line_controls, get_details,
            set_details, create_enumerator, live.CoIncrementMTAUsage, live.CoDecrementMTAUsage};
}

} // namespace

HRESULT FakeDevice::Activate(REFIID iid, DWORD, PROPVARIANT*, void** out)
{
    auto* e = g_current->endpoint.get();
    *out = nullptr;
    if (iid != __uuidof(IAudioEndpointVolume) || !e)
        return E_NOINTERFACE;
    e->AddRef();
    *out = static_cast<IAudioEndpointVolume*>(e);
    return S_OK;
}

HRESULT FakeDevice::GetId(LPWSTR* id)
{
    const std::wstring& text = g_current->endpoint_id;
    *id = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
    std::copy(text.c_str(), text.c_str() + text.size() + 1, *id);
    return S_OK;
}

HRESULT FakeEnumerator::GetDefaultAudioEndpoint(EDataFlow flow, ERole role, IMMDevice** out)
{
    ++default_lookups;
    *out = nullptr;
    if (flow != eRender || role != eConsole || !g_current->endpoint)
        return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    g_current->device.AddRef();
    *out = &g_current->device;
    return S_OK;
}

void FakeAudio::notify(const std::function<void(IMMNotificationClient&)>& call)
{
    IMMNotificationClient* client = enumerator.client;
    if (!client)
        return;
    std::thread audio_thread([&] { call(*client); });
    audio_thread.join();
}

void FakeAudio::default_device_changed()
{
    const std::wstring id = endpoint_id;
    notify([&](IMMNotificationClient& c) {
        c.OnDeviceAdded(id.c_str());
        c.OnDefaultDeviceChanged(eRender, eConsole, id.c_str());
    });
}

void set_fake_version(DWORD platform, DWORD major, DWORD minor)
{
    g_version = {};
    g_version.dwOSVersionInfoSize = sizeof g_version;
    g_version.dwPlatformId = platform;
    g_version.dwMajorVersion = major;
    g_version.dwMinorVersion = minor;
}

BOOL WINAPI fake_version(LPOSVERSIONINFOA info)
{
    const DWORD size = info->dwOSVersionInfoSize;
    *info = g_version;
    info->dwOSVersionInfoSize = size;
    return TRUE;
}

FakeAudio::FakeAudio(DWORD major, DWORD minor, DWORD platform)
    : audio_(vx::platform::audio(), fake_seam()), version_(vx::platform::os().GetVersionExA, fake_version)
{
    set_fake_version(platform, major, minor);
    g_current = this;
}

FakeAudio::~FakeAudio() { g_current = nullptr; }

} // namespace vxtest
