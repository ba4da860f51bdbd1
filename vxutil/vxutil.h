/*
 * vxutil.h - exports of VXUtil.dll, the key-function and utility library of
 * the multimedia keyboard host software. Usable from C and C++.
 *
 * Every export is a plain WINAPI function with an undecorated name. Results
 * are 1 for success and 0 for failure unless a function says otherwise.
 * Strings are 8-bit (ANSI); buffers are owned by the caller. The library
 * starts no thread and takes no lock: call it from the host's thread, which
 * must run a message loop for the library's timers.
 */
#ifndef VXUTIL_H
#define VXUTIL_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Volume and mute keys ------------------------------------------------
 * Act on the master volume of the speakers: the winmm mixer's speakers line
 * before Windows Vista, the default render endpoint from Vista on. Levels run
 * from 0 to 0xFFFF per channel. Before Mixer_Init, or when it found no audio
 * device, every call but the Start/Stop ones does nothing and returns 0.
 */

/* Finds the speakers line; `window` receives MM_MIXM_CONTROL_CHANGE when the
 * volume or mute changes. Returns the result of the last mixer query (0 also
 * when no device exists: use the other calls' results). */
int WINAPI Mixer_Init(HWND window);
/* Raises every channel by `step` (0 = 2730), capped at 0xFFFF. Returns the
 * MMRESULT of the write (0 = success). */
int WINAPI Mixer_VolumeUp(unsigned step);
/* Lowers every channel by `step` (0 = 2730), stopping at 0. */
int WINAPI Mixer_VolumeDown(unsigned step);
/* Stores the mean channel level (0..0xFFFF) in *volume when `volume` is not
 * NULL; returns the MMRESULT of the read. */
int WINAPI Mixer_GetVolume(int *volume);
/* Inverts the mute state; returns the MMRESULT of the write. */
int WINAPI Mixer_ToggleMute(void);
/* Returns the mute value (non-zero = muted), 0 when it cannot be read. */
int WINAPI Mixer_GetMuteState(void);
/* Sets the mute value; always returns 0. */
int WINAPI Mixer_SetMuteState(int state);
/* Volume Up pressed: unmutes, steps up once and repeats a step every 150 ms
 * (after one skipped tick) until a Stop call. Returns 1. */
int WINAPI Mixer_StartVolumeIncrease(void);
/* Volume Down pressed: as Mixer_StartVolumeIncrease, stepping down. While a
 * repeat runs, either Start call only turns its direction. Returns 1. */
int WINAPI Mixer_StartVolumeDecrease(void);
/* Volume key released: ends the repeat, whichever key started it. Return 1. */
int WINAPI Mixer_StopVolumeIncrease(void);
int WINAPI Mixer_StopVolumeDecrease(void);

#ifdef __cplusplus
}
#endif

#endif /* VXUTIL_H */
