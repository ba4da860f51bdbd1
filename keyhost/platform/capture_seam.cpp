#include "platform/capture_seam.h"

#include <windows.h>
#include <mmsystem.h>
#include <mmdeviceapi.h>
#include <endpointvolume.h>

#include <cstdio>

namespace keyhost::platform {
namespace {

void say(char* why, std::size_t size, const char* text)
{
    if (why && size)
        std::snprintf(why, size, "%s", text);
}

// COM for the length of one call. A thread that already has an apartment
// (keyhost's UI thread is single-threaded) keeps it; the endpoint works in either.
struct ComScope {
    ComScope() : owned(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
    ~ComScope()
    {
        if (owned)
            CoUninitialize();
    }
    bool owned;
};

// The endpoint volume of the default capture device, communications role
// first (what a call uses), then console; null when there is none.
IAudioEndpointVolume* open_capture_endpoint(char* why, std::size_t size)
{
    IMMDeviceEnumerator* devices = nullptr;
    if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                                reinterpret_cast<void**>(&devices)))) {
        say(why, size, "Core Audio is not available");
        return nullptr;
    }
    IMMDevice* device = nullptr;
    if (FAILED(devices->GetDefaultAudioEndpoint(eCapture, eCommunications, &device)) &&
        FAILED(devices->GetDefaultAudioEndpoint(eCapture, eConsole, &device)))
        device = nullptr;
    devices->Release();
    if (!device) {
        say(why, size, "no default capture endpoint");
        return nullptr;
    }
    IAudioEndpointVolume* volume = nullptr;
    if (FAILED(device->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_ALL, nullptr,
                                reinterpret_cast<void**>(&volume))))
        volume = nullptr;
    device->Release();
    if (!volume)
        say(why, size, "the capture endpoint has no volume control");
    return volume;
}

int endpoint_get(char* why, std::size_t size)
{
    ComScope com;
    IAudioEndpointVolume* volume = open_capture_endpoint(why, size);
    if (!volume)
        return -1;
    BOOL muted = FALSE;
    const HRESULT hr = volume->GetMute(&muted);
    volume->Release();
    if (FAILED(hr)) {
        say(why, size, "the capture endpoint does not report its mute");
        return -1;
    }
    return muted ? 1 : 0;
}

bool endpoint_set(bool muted)
{
    ComScope com;
    IAudioEndpointVolume* volume = open_capture_endpoint(nullptr, 0);
    if (!volume)
        return false;
    const HRESULT hr = volume->SetMute(muted ? TRUE : FALSE, nullptr);
    volume->Release();
    return SUCCEEDED(hr);
}

// The mute control of the recording destination's microphone source, or of
// the recording destination itself (Vista and later give each capture
// device a mixer whose destination carries the mute).
bool find_mixer_mute(MIXERCONTROLA& control, UINT& mixer_id)
{
    for (UINT id = 0; id < mixerGetNumDevs(); ++id) {
        const auto mixer = reinterpret_cast<HMIXEROBJ>(static_cast<UINT_PTR>(id));
        MIXERLINEA destination{};
        destination.cbStruct = sizeof destination;
        destination.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_WAVEIN;
        if (mixerGetLineInfoA(mixer, &destination, MIXER_OBJECTF_MIXER | MIXER_GETLINEINFOF_COMPONENTTYPE) !=
            MMSYSERR_NOERROR)
            continue;
        DWORD lines[2] = {destination.dwLineID, destination.dwLineID};
        for (DWORD s = 0; s < destination.cConnections && s < 64; ++s) {
            MIXERLINEA source{};
            source.cbStruct = sizeof source;
            source.dwDestination = destination.dwDestination;
            source.dwSource = s;
            if (mixerGetLineInfoA(mixer, &source, MIXER_OBJECTF_MIXER | MIXER_GETLINEINFOF_SOURCE) ==
                    MMSYSERR_NOERROR &&
                source.dwComponentType == MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE) {
                lines[0] = source.dwLineID;
                break;
            }
        }
        for (const DWORD line : lines) {
            MIXERLINECONTROLSA controls{};
            controls.cbStruct = sizeof controls;
            controls.dwLineID = line;
            controls.dwControlType = MIXERCONTROL_CONTROLTYPE_MUTE;
            controls.cControls = 1;
            controls.cbmxctrl = sizeof control;
            controls.pamxctrl = &control;
            if (mixerGetLineControlsA(mixer, &controls, MIXER_OBJECTF_MIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) ==
                MMSYSERR_NOERROR) {
                mixer_id = id;
                return true;
            }
        }
    }
    return false;
}

MMRESULT mixer_mute_details(bool set, BOOL& muted)
{
    MIXERCONTROLA control{};
    UINT id = 0;
    if (!find_mixer_mute(control, id))
        return MMSYSERR_NODRIVER;
    MIXERCONTROLDETAILS_BOOLEAN value{muted};
    MIXERCONTROLDETAILS details{};
    details.cbStruct = sizeof details;
    details.dwControlID = control.dwControlID;
    details.cChannels = 1; // one value for every channel
    details.cbDetails = sizeof value;
    details.paDetails = &value;
    const auto mixer = reinterpret_cast<HMIXEROBJ>(static_cast<UINT_PTR>(id));
    const MMRESULT result = set ? mixerSetControlDetails(mixer, &details, MIXER_OBJECTF_MIXER | MIXER_SETCONTROLDETAILSF_VALUE)
                                : mixerGetControlDetailsA(mixer, &details, MIXER_OBJECTF_MIXER | MIXER_GETCONTROLDETAILSF_VALUE);
    muted = value.fValue;
    return result;
}

int mixer_get(char* why, std::size_t size)
{
    BOOL muted = FALSE;
    if (mixer_mute_details(false, muted) != MMSYSERR_NOERROR) {
        say(why, size, "no mixer with a microphone mute");
        return -1;
    }
    return muted ? 1 : 0;
}

bool mixer_set(bool muted)
{
    BOOL value = muted ? TRUE : FALSE;
    return mixer_mute_details(true, value) == MMSYSERR_NOERROR;
}

} // namespace

CaptureSeam& capture()
{
    static CaptureSeam seam{{endpoint_get, endpoint_set}, {mixer_get, mixer_set}};
    return seam;
}

} // namespace keyhost::platform
