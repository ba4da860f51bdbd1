// Audio family: the winmm mixer and the Core Audio default render endpoint.
// This machine has no sound device, and tests need exact channel values.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <string>

struct IAudioEndpointVolume;

namespace vx::platform {

struct AudioSeam {
    UINT(WINAPI* mixerGetNumDevs)();
    MMRESULT(WINAPI* mixerOpen)(LPHMIXER, UINT, DWORD_PTR, DWORD_PTR, DWORD);
    MMRESULT(WINAPI* mixerClose)(HMIXER);
    MMRESULT(WINAPI* mixerGetLineInfoA)(HMIXEROBJ, LPMIXERLINEA, DWORD);
    MMRESULT(WINAPI* mixerGetLineControlsA)(HMIXEROBJ, LPMIXERLINECONTROLSA, DWORD);
    MMRESULT(WINAPI* mixerGetControlDetailsA)(HMIXEROBJ, LPMIXERCONTROLDETAILS, DWORD);
    MMRESULT(WINAPI* mixerSetControlDetails)(HMIXEROBJ, LPMIXERCONTROLDETAILS, DWORD);
    // The master volume of the default render endpoint (eRender, eConsole),
    // with one reference for the caller, and that device's id in `id`; null
    // when there is no endpoint.
    IAudioEndpointVolume* (*open_default_render_endpoint)(std::wstring& id);
    // The id of the device that is the default render endpoint now; "" when
    // there is none.
    std::wstring (*default_render_endpoint_id)();
};

AudioSeam& audio();

} // namespace vx::platform
