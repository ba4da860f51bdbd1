// MCI family: the audio-CD device. This machine has no CD drive, and Wine's
// cdaudio device finds no table of contents, so tests replace it.
#pragma once
#include <windows.h>
#include <mmsystem.h>

namespace vx::platform {

struct MciSeam {
    MCIERROR(WINAPI* mciSendStringA)(LPCSTR, LPSTR, UINT, HWND);
    BOOL(WINAPI* mciGetErrorStringA)(MCIERROR, LPSTR, UINT);
    MCIERROR(WINAPI* mciSendCommandA)(MCIDEVICEID, UINT, DWORD_PTR, DWORD_PTR);
};

MciSeam& mci();

} // namespace vx::platform
