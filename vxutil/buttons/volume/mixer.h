// Volume and mute keys: module state behind the Mixer_* exports.
#pragma once
#include <windows.h>

namespace vx::mixer {

// Which backend Mixer_Init picks for the running Windows version.
enum class Backend { None, LegacyMixer, EndpointVolume };
Backend backend_for_version(DWORD platform, DWORD major);
Backend active_backend();

// The Mute key of the function table: 1 when the mute state read back is
// the inverse of the one read before, 0 when there is no line, the state
// cannot be read or did not change. (Mixer_ToggleMute itself
// returns the MMRESULT, 0 for success, which a table row would report as
// "not handled".)
int WINAPI toggle_mute_key();

// Gives up the repeat's window (and with it the timer) when the library is
// unloaded, from whichever thread frees it: a later tick or message would run
// code that is no longer mapped. Called from DllMain, so it does nothing else.
// (Once an endpoint was followed, the library is pinned and never unloaded.)
void release_repeat_on_unload();

// Mixer_Close: forgets the opened lines and stops the repeat, as if the
// module had just been loaded.
void reset_for_tests();

} // namespace vx::mixer
