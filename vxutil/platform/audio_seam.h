// Audio family: the winmm mixer and the Core Audio default render endpoint.
// This machine has no sound device, and tests need exact channel values.
#pragma once
#include <windows.h>
#include <mmsystem.h>

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
    // with one reference for the caller; null when there is no endpoint.
    IAudioEndpointVolume* (*open_default_render_endpoint)();
};

AudioSeam& audio();

} // namespace vx::platform
