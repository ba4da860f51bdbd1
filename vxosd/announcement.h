// What a show tells assistive technology when the "Announce" setting is on,
// in the thread's language; the announcer raises it. Never takes the focus;
// the show is already up (or left out over a full-screen program).
#pragma once
#include <windows.h>

#include "osd_state.h"

namespace vx::osd {

// A caller's text (system code page), as OSD_ShowString shows it.
void announce_text(const char* text);
// A string of the table in the thread's language (the mute display's text).
void announce_string(UINT id);
// The volume as a percentage of the maximum; an unmuted level is said once
// the steps of a held key have settled.
void announce_volume(unsigned level, unsigned maximum, bool muted);
// A lock key's or the microphone's new state.
void announce_indicator(IndicatorKind kind, bool set);

} // namespace vx::osd
