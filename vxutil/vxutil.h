/*
 * vxutil.h - exports of VXUtil.dll, the key-function and utility library of
 * the multimedia keyboard host software. Usable from C and C++.
 *
 * Every export is a plain WINAPI function with an undecorated name. Results
 * are 1 for success and 0 for failure unless a function says otherwise; no
 * exception leaves an export (running out of memory is a failure result).
 * Strings are 8-bit (ANSI); buffers are owned by the caller. The library
 * takes no lock and starts no thread but the volume keys' apartment keeper
 * on Windows Vista and 7 and, for the shell calls (shortcuts, program and
 * folder starts, AutoRun), a thread that lives for the one call when the
 * calling thread is in no COM apartment of its own: call it from the host's
 * thread, which must run a message loop for the library's timers. No call
 * initialises COM on the calling thread; while a shell call runs on the
 * short-lived thread, messages other threads send to the caller's windows
 * are handled and posted ones wait for the host's loop.
 */
#ifndef VXUTIL_H
#define VXUTIL_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Volume and mute keys ------------------------------------------------
 * Act on the master volume of the speakers: the winmm mixer's speakers line
 * before Windows Vista, the default render endpoint from Vista on. The
 * endpoint is followed: when the user switches the default device, plugs in
 * a device after Mixer_Init or replugs one (same device, driver or audio
 * service restarted), the next call acts on what is heard then; while no
 * device is the default the calls do nothing and return 0 and a held key's
 * repeat ends. Levels run from 0 to 0xFFFF per channel. Before Mixer_Init,
 * or when it found no audio device, every call but the Start/Stop ones does
 * nothing and returns 0. The calls never initialise COM on the calling
 * thread; on Windows Vista and 7 (no CoIncrementMTAUsage) a thread of the
 * library's own keeps the multithreaded apartment alive from Mixer_Init to
 * Mixer_Close. Once Mixer_Init followed an endpoint (Vista and later with
 * Core Audio), the library stays loaded until the process ends: FreeLibrary
 * does not unload it, as a device notification may be on its way into it.
 */

/* Finds the speakers line; `window` receives MM_MIXM_CONTROL_CHANGE when the
 * volume or mute changes. Calling it again first closes the line opened
 * before. Returns the result of the last mixer query (0 also when no device
 * exists: use the other calls' results). */
int WINAPI Mixer_Init(HWND window);
/* Ends the repeat and releases what Mixer_Init opened (device notifications,
 * the endpoint, the mixer line, the apartment keeper); the calls then act as
 * before Mixer_Init. Call it on the thread that pressed the keys. Returns 1. */
int WINAPI Mixer_Close(void);
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
 * (after one skipped tick) until a Stop call, until every channel is at the
 * end of the range, or for at most 8 s after the last Start call (a lost
 * key-up must not leave the timer running). The timer belongs to a
 * message-only window of the library on the calling thread. Returns 1. */
int WINAPI Mixer_StartVolumeIncrease(void);
/* Volume Down pressed: as Mixer_StartVolumeIncrease, stepping down. While a
 * repeat runs, either Start call only turns its direction. Returns 1. */
int WINAPI Mixer_StartVolumeDecrease(void);
/* Volume key released: ends the repeat, whichever key started it. Return 1. */
int WINAPI Mixer_StopVolumeIncrease(void);
int WINAPI Mixer_StopVolumeDecrease(void);

/* ---- Text fields and shell commands --------------------------------------
 * No routine takes a buffer size: a field buffer must hold the whole source.
 */

/* Decimal, or hexadecimal after an x ("0x1F" = 31); letters a-f are passed
 * over in decimal; no sign, no blank skipping; wraps around in 32 bits. */
int WINAPI StringToInteger(const char *text);
/* Reads the first field of `source` up to `separator` (quotes protect it and
 * vanish, leading blanks dropped) into `field` (may be NULL); *start (may be
 * NULL) gets the field's offset or -1. Returns where the next field begins. */
const char *WINAPI Str_GetFirstField(const char *source, char *field, char separator, int *start);
/* Field `n` (1-based) into `field` (may be NULL); returns its offset in
 * `source`, or -1 when there is no field n ("a," has one field). */
int WINAPI Str_GetField(const char *source, int n, char *field, char separator);
/* Splits a command line into program and arguments (either may be NULL; each
 * 260 bytes, longer texts are cut); unquoted paths with blanks stay whole.
 * Returns 1 when a program was found. */
int WINAPI ParseShellCommand(const char *command, char *program, char *arguments);

/* ---- Registry profile store ----------------------------------------------
 * Value layer: one value under `root`\`subkey`; no key is created. Profile
 * layer: section/value under the root fixed by Reg_InitProfile; in user mode
 * HKCU\root\users\<user>\section over HKLM\root\section. Paths must fit in
 * 259 characters; a longer one reads as missing and is never written.
 */

/* Reads any type into `buffer` of `size` bytes as text that always ends in
 * a NUL inside the buffer (REG_EXPAND_SZ expanded, at most 259 characters);
 * 0 when missing or when the data leaves no room for the NUL. */
int WINAPI Reg_GetValueString(HKEY root, const char *subkey, const char *name, char *buffer, int size);
/* Writes REG_SZ. */
int WINAPI Reg_SetValueString(HKEY root, const char *subkey, const char *name, const char *text);
/* Reads REG_SZ text (StringToInteger), REG_DWORD or 4-byte REG_BINARY;
 * *out is written only on success. */
int WINAPI Reg_GetValueNumber(HKEY root, const char *subkey, const char *name, int *out);
/* Writes REG_DWORD. */
int WINAPI Reg_SetValueNumber(HKEY root, const char *subkey, const char *name, int value);
/* Reads "TRUE"/"FALSE" (any case) or a number text, or the first four bytes
 * of REG_DWORD/REG_BINARY; not folded to 0/1. */
int WINAPI Reg_GetValueBool(HKEY root, const char *subkey, const char *name, int *out);
/* Writes a 4-byte REG_BINARY. */
int WINAPI Reg_SetValueBool(HKEY root, const char *subkey, const char *name, int value);
/* *size: capacity in, the registry's byte count out (also on failure);
 * NULL size means capacity 0. */
int WINAPI Reg_GetValueBinary(HKEY root, const char *subkey, const char *name, void *buffer, int *size);
/* Writes REG_BINARY of `size` bytes. */
int WINAPI Reg_SetValueBinary(HKEY root, const char *subkey, const char *name, const void *data, int size);

/* Fixes the profile root and user (each cut to 258 characters); a NULL user
 * selects machine-only mode (HKLM only). No registry access. Returns 1. */
int WINAPI Reg_InitProfile(const char *root, const char *user);
/* Reads user layer, then machine layer. On a miss copies `fallback` (if any,
 * cut to `size`) and returns 0; 1 when found. */
int WINAPI Reg_GetProfileString(const char *section, const char *name, char *buffer, int size, const char *fallback);
/* On a miss stores `fallback` in *out and returns 0. */
int WINAPI Reg_GetProfileNumber(const char *section, const char *name, int *out, int fallback);
int WINAPI Reg_GetProfileBool(const char *section, const char *name, int *out, int fallback);
/* *size (required): capacity in, byte count out. On a miss copies
 * min(capacity, fallback_size) bytes of `fallback` and returns 0. */
int WINAPI Reg_GetProfileBinary(const char *section, const char *name, void *buffer, int *size, const void *fallback,
                                int fallback_size);
/* Writers: when the value read through both layers already equals the new
 * one, nothing is written and the result is 0; otherwise the key is created
 * (user layer, or machine in machine-only mode) and 1 means written. */
int WINAPI Reg_SetProfileString(const char *section, const char *name, const char *text);
int WINAPI Reg_SetProfileNumber(const char *section, const char *name, int value);
/* Writes REG_DWORD. */
int WINAPI Reg_SetProfileBool(const char *section, const char *name, int value);
int WINAPI Reg_SetProfileBinary(const char *section, const char *name, const void *data, int size);
/* Deletes `subkey` of the section's key in the first layer whose key opens
 * (user, then machine); not recursive. */
int WINAPI Reg_DelProfileKey(const char *section, const char *subkey);

/* ---- System information --------------------------------------------------
 * Version tests compare GetVersionExA's platform, major and minor numbers.
 */

int WINAPI IsWin95(void);          /* 1 4.0 */
int WINAPI IsWin98(void);          /* 1 4.10 */
int WINAPI IsWinME(void);          /* 1 4.90 */
int WINAPI IsNT(void);             /* platform 2, any version */
int WINAPI IsWin2000(void);        /* NT 5.0 */
int WINAPI IsWinXP(void);          /* NT 5.1 */
int WINAPI IsWin2003(void);        /* NT 5.2 */
int WINAPI IsWin2000orLater(void); /* NT major >= 5 */
int WINAPI IsWinVista(void);       /* NT 6.0 */
/* NT major >= 6 and minor >= 1 (each on its own): 6.1-6.3, not 10.0. */
int WINAPI IsWin7above(void);
/* NT major >= 6 and minor >= 2: 6.2 and 6.3, not 10.0. */
int WINAPI IsWin8above(void);
/* Makes the thread locale one of the library's 14 (same primary language, or
 * 1033). Returns the locale id when it was already one, else SetThreadLocale's
 * result. */
int WINAPI SetThreadResourceLocale(void);
/* Shows the system text of GetLastError() in a message box; returns what
 * LocalFree returns (NULL on success). */
HLOCAL WINAPI ShowErrorMessage(const char *caption);

/* ---- Window and power control --------------------------------------------
 */

/* Brings `window` (or its visible last active popup) to the foreground,
 * restoring it when minimised. 0 when `window` is not a window, else 1. */
int WINAPI ActivateWindow(HWND window);
/* Activates, in Z order, every visible top-level window of the process whose
 * owner is absent or hidden; 1 when there was one. `mode` is accepted for
 * compatibility and does not change what happens. */
int WINAPI ActivateWindowByProcessId(int process_id, int mode);
/* The foreground window, climbed up through its visible parents. */
HWND WINAPI GetForegroundTopWindow(void);
/* Posts WM_CLOSE to the foreground window. Returns 1. */
int WINAPI CloseCurrentWindow(void);
/* Sends the foreground window to the bottom and activates the next visible
 * window that is neither a tool window nor cloaked (hidden by the desktop
 * compositor: on another virtual desktop, a suspended app). Returns 1. */
int WINAPI SwitchNextWindow(void);
/* Result of WM_SYSCOMMAND/SC_SCREENSAVE sent to the desktop window. */
int WINAPI ActivateScreenSaver(void);
/* LockWorkStation's result on Windows NT; 0 elsewhere. */
int WINAPI LockComputer(void);
/* Hibernates (forced) with the shutdown privilege enabled for the call;
 * 1 when the system accepted. */
int WINAPI PerformHibernation(void);

/* ---- Files, programs and shortcuts ---------------------------------------
 * Paths are MAX_PATH (260-byte) buffers unless a size is passed.
 */

/* 1 when FindFirstFileA finds a match (files, folders, wildcard patterns). */
int WINAPI FileExisted(const char *path);
/* The fixed file version of the version resource (dwFileVersionMS/LS). */
int WINAPI GetFileVersionFromNumber(const char *path, DWORD *high, DWORD *low);
/* The "FileVersion" text read as up to four numbers split at ',' or '.':
 * high = n1 << 16 | n2, low = n3 << 16 | n4. */
int WINAPI GetFileVersionFromString(const char *path, DWORD *high, DWORD *low);
/* The "FileDescription" text; 0 when it does not fit `size` with its NUL. */
int WINAPI GetFileDescription(const char *path, char *text, int size);
/* The executable file of the window's process (limited query rights from
 * Vista on, so elevated and 64-bit processes are named too); 0 when it does
 * not fit. */
int WINAPI GetWndFileName(HWND window, char *path, int size);
/* Depth-first search of `folder` for a file whose displayed title equals
 * `title` (case-insensitive); 1 and its full path in `path`. */
int WINAPI FindProgram(const char *folder, const char *title, char *path);
/* FindProgram from `folder`, or from the user's Programs menu (else the
 * Windows folder) when `folder` is NULL or empty. */
int WINAPI FindProgramPath(const char *title, const char *folder, char *path);
/* The common Start menu folder, else the user's; HRESULT (the output is
 * left alone when neither exists). */
int WINAPI GetStartMenuPath(char *path);
/* The common Programs folder, else the user's; as GetStartMenuPath. */
int WINAPI GetProgramMenuPath(char *path);
/* Target and description (either may be NULL) of a shortcut; the HRESULT of
 * the last step. */
HRESULT WINAPI GetLinkInfo(HWND window, const char *link, char *target, char *description);
/* As GetLinkInfo, also reading the arguments, and resolving Windows Installer
 * (advertised) shortcuts first. SUCCEEDED(result) means the target was read:
 * S_OK for an ordinary shortcut, S_FALSE (1) for an advertised one installed
 * locally; a failure HRESULT otherwise. */
HRESULT WINAPI GetLinkInfoEx(HWND window, const char *link, char *target, char *arguments, char *description);
/* Creates the shortcut `link` to `target`; a .hlp target takes the help-file
 * type's icon. The HRESULT of the save (or of the step that failed). */
HRESULT WINAPI CreateShortcut(const char *target, const char *arguments, int icon_index, const char *link);

/* ---- Program launchers ---------------------------------------------------
 * A launcher returns once the shell has started the program, without waiting
 * for it, unless its line gives a wait.
 */

/* Starts `file` through the shell (parameters and directory may be NULL).
 * With `process_id`, reports the child process this call started (0 when it
 * found none) and brings its window forward, trying for about a second; 0
 * when it shows no window by then. Input is never shared with a foreground
 * program that does not answer within 0.2 s. */
int WINAPI LaunchProgram(const char *file, const char *parameters, const char *directory, int *process_id);
/* The top-level window of the program `path` (long or 8.3 form) with the
 * most child windows, or NULL. */
HWND WINAPI FindWindowByPath(const char *path);
/* Types a chord: `keys` holds `count` pairs (virtual key, extended flag);
 * all go down in order and up in reverse. Returns the inputs sent. */
int WINAPI SimulateKeyStroke(int count, const WORD *keys);
/* Name of mail client `index` of HKLM\Software\Clients\Mail. */
int WINAPI EnumMailClient(int index, char *name, unsigned size);
/* Name of the default mail client. */
int WINAPI GetDefaultMailClient(char *name, int size);
/* The default mail client's "DLLPath". */
int WINAPI GetDefaultMailClientDllPath(char *path, int size);
/* Brings the mail client started before forward, or starts `client` from its
 * Shell\Open\Command (waiting up to about a second for its window, as
 * LaunchProgram); 1 when brought forward or started. */
int WINAPI LaunchMailClient(const char *client);
/* LaunchMailClient with the default client. */
int WINAPI LaunchDefaultMailProgram(void);
/* The browser's "Start Page" (user, then machine). */
int WINAPI GetWebHomePage(char *url, int size);
/* Opens the home page; 0 when none is set or it cannot be opened. */
int WINAPI OpenWWWHomePage(void);
/* Starts the system folder's calc.exe (never one from the current folder or
 * the search path). Returns 1. */
int WINAPI LaunchCalculator(void);
/* Opens the help of this Windows version; 1 when its file exists and starts. */
int WINAPI LaunchSystemHelp(void);
/* Opens the My Documents folder; 1 when the shell opened it. */
int WINAPI LaunchMyDocuments(void);
/* Restores an open system-information window or starts the system folder's
 * msinfo32.exe (else the one MSInfo's "Path" names, then waits 3 s).
 * Returns 1. */
int WINAPI LaunchSystemInfo(void);
/* Starts Word from its App Paths folder; 0 when Word is not registered or its
 * folder does not hold it. */
int WINAPI LaunchWord(void);
/* Starts Excel from its App Paths folder, else Excel Starter from the shared
 * Common Files folder (the 64-bit one first on 64-bit Windows, also from a
 * 32-bit host). */
int WINAPI LaunchExcel(void);
/* Opens the display-switch choice (Win+P), starting the system folder's
 * DisplaySwitch.exe before Windows 8 (the 64-bit one from a 32-bit host). */
int WINAPI LaunchDisplaySwitch(void);

/* ---- Audio CD through MCI -------------------------------------------------
 * `drive` is a drive root such as "D:\" or NULL for the default CD audio
 * device. Every call that takes a drive first closes and reopens the device
 * alias "vxbcd", so it acts on the disc now in the drive. Results are MCI
 * error codes (0 = success) unless a line says otherwise.
 */

/* Opens alias "vxbcd" on the drive after a probe open; 1 when open, else 0.
 * A drive text too long for an MCI command fails with 0. */
int WINAPI AudioCD_OpenCDAudio(const char *drive);
/* Closes alias "vxbcd"; the MCI error code. */
int WINAPI AudioCD_CloseCDAudio(void);
/* Opens the default CD audio device's door; 0 or the open's error code. */
int WINAPI AudioCD_Eject(void);
/* Stops, seeks to the start and forgets a pause position; 0 when the device
 * cannot be opened, else the seek's error code. */
int WINAPI AudioCD_Stop(const char *drive);
/* Plays from the next track (0 when the device cannot be opened). */
int WINAPI AudioCD_NextTrack(const char *drive);
/* Plays from the previous track within the first 3 s of a track, else from
 * the start of the current one; forgets a pause position. */
int WINAPI AudioCD_PrevTrack(const char *drive);
/* 1 playing, 0 not playing, -1 when the device cannot be opened. */
int WINAPI AudioCD_IsPlaying(const char *drive);
/* Resumes from the pause position or starts from the beginning; 0 without
 * sending anything when the disc already plays. */
int WINAPI AudioCD_Play(const char *drive);
/* Pauses (remembering the position) when playing, else as AudioCD_Play. */
int WINAPI AudioCD_PlayPause(const char *drive);
/* Pauses when playing, resumes a paused disc, else returns non-zero. */
int WINAPI AudioCD_Pause(const char *drive);
/* 0 when the disc has an audio track, 275 when it has none or the device
 * cannot be opened, else the track-count query's error code. */
int WINAPI AudioCD_FindAudioByMCI(const char *drive);

/* ---- Disc detection and play state ---------------------------------------
 * Disc kinds: 0 no disc, 1 audio CD, 2 DVD-Video, 3 software CD (autorun),
 * 4 Video CD, 5 other data disc, 6 no CD-ROM drive.
 */

/* Opens the SCSI path: the system's WNASPI32.DLL, else the built-in ASPI
 * emulation over SCSI pass-through. 1 when a CD-ROM device was found. */
int WINAPI InitAspi(void);
/* Closes the SCSI path: FreeLibrary's result with an ASPI library, -1 after
 * the emulation, 0 when nothing was open. */
int WINAPI DestroyAspi(void);
/* 1 when the first CD-ROM device's read position moves (audio test for kind
 * 1, mechanism test otherwise), else 0; 0 outside InitAspi/DestroyAspi. */
int WINAPI OnIsCdromPlaying(int kind);
/* 1 playing, 0 not playing or no drive, -1 for no disc, a software CD or a
 * data disc in the chosen drive. Updates the play flag. */
int WINAPI CD_CheckPlayPauseStatus(void);
/* The library's play flag as the last check or CD key left it. */
int WINAPI CD_IsPlaying(void);

/* ---- Uninstall log ----------------------------------------------------------
 * Entries are names of keys under HKLM "Software\Microsoft\Windows\
 * CurrentVersion\Uninstall"; an empty or NULL name, or an entry that does not
 * exist, is passed over. Results: the last registry result for the second
 * entry (0 = success), 0 when there is no second entry.
 */

/* Records `path` in each entry's DeleteFiles key (value = file name, data =
 * folder) and in the shared-file key of its file name. */
int WINAPI CreateUninstallDeleteFileRegistry(const char *path, const char *first, const char *second);
/* Records the value `name` = `data` in each entry's DeleteDirectory key. */
int WINAPI CreateUninstallDeleteDirRegistry(const char *name, const char *data, const char *first,
                                            const char *second);

/* ---- CD keys and media players --------------------------------------------
 * The CD keys act on the chosen drive's disc: a running or started media
 * player, MCI for an audio CD without one, or a system-modal message (no
 * disc, software disc, no video player). Keystrokes are typed only into a
 * player that is in front. A key blocks the calling thread: about a second
 * per message to a running player that does not answer; until the user
 * closes a message box; and, when it starts a player, while it polls once a
 * second for its window: up to 10 s for the media player on an audio CD, up
 * to 30 s for the DVD player (Play and Play/Pause only), then 5, 8, 10 and
 * 10 s for each further DVD/VCD player installed (about a minute when all
 * are and none shows a window). Each CD_* call returns 1 when handled, 0
 * when the key did nothing: without any CD-ROM drive, or when the player
 * that takes keystrokes could not be brought in front. A host may then pass
 * the key on.
 */

int WINAPI CD_Play(void);
int WINAPI CD_Pause(void);
int WINAPI CD_PlayPause(void);
int WINAPI CD_Stop(void);
int WINAPI CD_NextTrack(void);
int WINAPI CD_PrevTrack(void);
/* Starts the first installed DVD/VCD player (no wait); 1 when one started. */
int WINAPI LaunchVideoPlayer(void);
/* Opens what suits the chosen drive's disc: the video player for DVD and
 * VCD, the disc itself for software and data discs, else the media player. */
int WINAPI LaunchCDPlayer(void);
/* Brings the DVD/VCD player last driven forward; 0 when it is gone. */
int WINAPI ActivePlayer(void);
/* Runs the shell's AutoRun verb of the drive `root`. Returns 1. */
int WINAPI OpenAutoRunCD(const char *root);

/* ---- Predefined key functions -------------------------------------------
 * 37 functions, each with a fixed name, a HID usage code (0 for "Next
 * Window" and "Screen Saver") and a description in the thread's language.
 * Event types: 1 key pressed, 0 key released, 2 reserved. Buffer sizes count
 * characters including the NUL.
 */

/* Description of function `index` (0-36); the characters copied, 0 for the
 * AUX rows (22-30) and for an index outside 0-36. */
int WINAPI EnumPredefinedFunction(int index, char *buffer, int size);
/* Fixed name of the function whose description (in the thread's language)
 * is `description`; 1 when found and the name fits. */
int WINAPI GetFuncNameFromFuncDescName(const char *description, char *name, int size);
/* Description of the function named `name` (any case); characters copied. */
int WINAPI GetFuncDescNameFromFuncName(const char *name, char *buffer, int size);
/* Runs the named function's handler for the event; its result, 0 when the
 * name is unknown or no handler applies. The Mute row's result is 1 only when
 * the mute state toggled; the CD rows' is 0 when the key did nothing. */
int WINAPI CallPredefinedButtonFunction(const char *name, int type);
/* Name of the function with usage `code`; 1 when copied (or `name` is NULL
 * and the code is known), 0 when unknown or the name does not fit. */
int WINAPI GetHIDFuncName(unsigned code, char *name, int size);
/* Description of the function with usage `code`; 1 for a known code with a
 * NULL buffer, 0 for an unknown code. */
int WINAPI GetHIDFuncDesc(unsigned code, char *buffer, int size);
/* Usage code of the named function; 0 when unknown. */
unsigned WINAPI GetHIDUsageCode(const char *name);
/* Runs the handler of usage `code` for the event and stores its result in
 * *result. Returns 1 when the result is 1 or the known key has no handler
 * for the event (result 0), 0 for code 0, unknown codes and other results.
 * The Mute key's result is 1 only when the mute state read back is the
 * inverse of the one read before: 0 when it cannot be read, the write fails
 * or changes nothing (Mixer_ToggleMute itself returns the MMRESULT). */
int WINAPI CallHIDButtonFunction(unsigned code, int type, int *result);
/* Sends WM_APPCOMMAND to `window` with the low 8 bits of `command`; the
 * window's answer, or 0 when it gives none within a second (hung). */
int WINAPI SendAppCommand(HWND window, int command);

#ifdef __cplusplus
}
#endif

#endif /* VXUTIL_H */
