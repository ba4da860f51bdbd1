// Volume and mute keys: module state behind the Mixer_* exports.
#pragma once
#include <windows.h>

namespace vx::mixer {

// Which backend Mixer_Init picks for the running Windows version.
enum class Backend { None, LegacyMixer, EndpointVolume };
Backend backend_for_version(DWORD platform, DWORD major);
Backend active_backend();

// Forgets the opened line and stops the repeat, as if the module had just
// been loaded. For tests; the exports never call it.
void reset_for_tests();

} // namespace vx::mixer
