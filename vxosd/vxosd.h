/*
 * vxosd.h - exports of VXOSD.dll, the on-screen display of the multimedia
 * keyboard host software. Usable from C and C++.
 *
 * The displays are top-most, region-shaped pop-up windows that hide
 * themselves after the configured duration. Settings live in the profile
 * section "OSD" of VXUtil's profile store: call VXUtil's Reg_InitProfile
 * before OSD_Init, OSD_InitLockKey before the first indicator, and
 * OSD_Destroy before unloading the library. Call every export from the one
 * thread that owns the windows; it must run a message loop for the timers.
 *
 * Opt-in values of the section "OSD", read by OSD_LoadSettings and written
 * by OSD_SaveSettings; absent or 0 keeps the behaviour described here:
 *   "Monitor"    0 primary, 1 foreground window's, 2 the pointer's monitor.
 *                Every display is laid out on that monitor as on a screen of
 *                its size; indicator positions are taken relative to its
 *                top-left corner and kept on it.
 *   "FullScreen" 1: no display or indicator while a full-screen program or
 *                a presentation runs; the show returns what a shown one
 *                returns and a debug string says why.
 *   "Announce"   1: each show is also told to screen readers (UI Automation
 *                notification on Windows 10 1709 and later, else an MSAA
 *                EVENT_SYSTEM_ALERT from the display window, whose client
 *                object is named by the text), in the thread's language.
 */
#ifndef VXOSD_H
#define VXOSD_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Settings and life cycle --------------------------------------------- */

/* Registers the display window class, creates the (hidden) display window
 * and loads the settings. Returns 1. */
int WINAPI OSD_Init(void);
/* Closes every window of the library and frees its brush. Returns the
 * display window's WM_CLOSE result (0 when there is none). */
int WINAPI OSD_Destroy(void);
/* Reads font, colour, duration and the "Enabled" switch from the profile.
 * Returns the enabled setting. */
int WINAPI OSD_LoadSettings(void);
/* Writes font, colour and duration to the profile ("Enabled" is never
 * written; "UserChanged" = 1 once the user chose a font). */
void WINAPI OSD_SaveSettings(void);
/* Opens the font dialog over `owner`. On OK takes font and colour and
 * returns OSD_SetColor's result; on cancel returns 0 and changes nothing. */
int WINAPI OSD_SelectFont(HWND owner);
/* Sets the display colour; returns non-zero once the display window exists. */
int WINAPI OSD_SetColor(COLORREF color);
/* Turns on the rounded background behind the volume displays in `color`
 * (the first colour used stays until OSD_Destroy). Returns `color`. */
COLORREF WINAPI OSD_SetVolumeBkgColor(COLORREF color);
/* Non-zero keeps the current display up; 0 lets it hide after the duration. */
int WINAPI OSD_KeepShowing(int keep);
/* The monitor the displays go to ("Monitor" in the profile): 0 the primary
 * monitor, 1 the monitor of the foreground window, 2 the monitor under the
 * mouse pointer. */
int WINAPI OSD_GetMonitor(void);
/* Sets it for the next show (OSD_SaveSettings stores it). Returns 1, or 0
 * and changes nothing for a value other than 0, 1 and 2. */
int WINAPI OSD_SetMonitor(int monitor);

/* ---- Lock-key and microphone indicators ---------------------------------- */

/* Registers the four indicator window classes. Returns 1. */
int WINAPI OSD_InitLockKey(void);
/* Show a 48 x 48 indicator with its bottom-left corner at (x, y) (used when
 * the window is first created) for the OSD duration; `state` non-zero shows
 * the lock on (for the microphone: muted). Return SetTimer's result. */
int WINAPI OSD_ShowNumLk(int x, int y, int state);
int WINAPI OSD_ShowCapsLk(int x, int y, int state);
int WINAPI OSD_ShowScrlLk(int x, int y, int state);
int WINAPI OSD_ShowMic(int x, int y, int state);

/* ---- Text, mute and volume displays -------------------------------------- */

/* Shows `text` in the OSD font and colour, laid out by DrawTextA `format` in
 * `rect` (NULL = the whole screen; a given rectangle is for a 1024 x 768
 * screen and is rewritten to this screen's margins). From the seventh call
 * on, a string still showing is not replaced. */
void WINAPI OSD_ShowString(const char *text, RECT *rect, UINT format);
/* Shows "Mute On" (non-zero) or "Mute Off" in the thread's language with a
 * loudspeaker at the bottom right. Returns 1 when shown. */
int WINAPI OSD_ShowMuteIcon(int muted);
/* Shows `level` of `maximum` as `steps` bars (0 = 32) beside a loudspeaker
 * in the lower middle of the screen. Returns 1 when shown. */
int WINAPI OSD_ShowVolume(unsigned level, unsigned steps, unsigned maximum);
/* Shows a framed bar of `steps` segments (0 = 32) with the count of lit
 * segments on the bottom of the work area; `type` picks the loudspeaker:
 * 0, 2, 3 plain, 1 muted. Hides the indicators. Returns 1 when shown. */
int WINAPI OSD_ShowVolumeEx(unsigned level, unsigned steps, unsigned maximum, int type);

#ifdef __cplusplus
}
#endif

#endif /* VXOSD_H */
