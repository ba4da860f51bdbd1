// Audio family: the winmm mixer and Core Audio's device enumerator, with the
// calls that keep the multithreaded apartment alive for it. This machine has
// no sound device, Core Audio's device lifecycle (invalidation, removal, late
// arrival, notifications on other threads) cannot be produced here, and
// tests need exact channel values and the Windows 7 path without
// CoIncrementMTAUsage.
#pragma once
#include <windows.h>
#include <mmsystem.h>

struct IMMDeviceEnumerator;

namespace vx::platform {

struct AudioSeam {
    UINT(WINAPI* mixerGetNumDevs)();
    MMRESULT(WINAPI* mixerOpen)(LPHMIXER, UINT, DWORD_PTR, DWORD_PTR, DWORD);
    MMRESULT(WINAPI* mixerClose)(HMIXER);
    MMRESULT(WINAPI* mixerGetLineInfoA)(HMIXEROBJ, LPMIXERLINEA, DWORD);
    MMRESULT(WINAPI* mixerGetLineControlsA)(HMIXEROBJ, LPMIXERLINECONTROLSA, DWORD);
    MMRESULT(WINAPI* mixerGetControlDetailsA)(HMIXEROBJ, LPMIXERCONTROLDETAILS, DWORD);
    MMRESULT(WINAPI* mixerSetControlDetails)(HMIXEROBJ, LPMIXERCONTROLDETAILS, DWORD);
    // A new MMDeviceEnumerator with one reference for the caller; null when
    // Core Audio is missing. The calling thread must be in an apartment or
    // the multithreaded apartment must exist (the caller keeps it alive).
    IMMDeviceEnumerator* (*create_device_enumerator)();
    // ole32's CoIncrementMTAUsage and CoDecrementMTAUsage (Windows 8 and
    // later), looked up at run time; null where they are missing.
    HRESULT(WINAPI* CoIncrementMTAUsage)(void** cookie);
    HRESULT(WINAPI* CoDecrementMTAUsage)(void* cookie);
};

AudioSeam& audio();

} // namespace vx::platform
