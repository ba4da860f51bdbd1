// What a show tells assistive technology (the show path decides whether the
// "Announce" setting asks for it), in the thread's language; the announcer
// raises it. Never takes the focus; the show is already up (or left out over
// a full-screen program).
#pragma once
#include <windows.h>

#include <string>

#include "announcer.h"
#include "osd_state.h"

namespace vx::osd {

// The texts told, in the thread's language:
// a caller's text (system code page), as OSD_ShowString shows it;
std::u16string text_announcement(const char* text);
// a string of the table (the mute display's text);
std::u16string string_announcement(UINT id);
// the volume as a percentage of the maximum;
std::u16string volume_announcement(unsigned level, unsigned maximum, bool muted);
// a lock key's or the microphone's new state.
std::u16string indicator_announcement(IndicatorKind kind, bool set);

// Tells `text`; a volume level is said once its steps have settled.
void announce(const std::u16string& text, Timing timing = Timing::Now);

} // namespace vx::osd
