// Tells assistive technology what a show put up, when the "Announce" setting
// is on: UI Automation's notification event where Windows has it, else an
// MSAA alert from the display window, whose client object is then named by
// the text. Never takes the focus; the show is already up.
#pragma once
#include <windows.h>

#include "osd_state.h"

namespace vx::osd {

// A caller's text (system code page), as OSD_ShowString shows it.
void announce_text(const char* text);
// A string of the table in the thread's language (the mute display's text).
void announce_string(UINT id);
// The volume as a percentage of the maximum.
void announce_volume(unsigned level, unsigned maximum, bool muted);
// A lock key's or the microphone's new state.
void announce_indicator(IndicatorKind kind, bool set);

// The display window's answer to WM_GETOBJECT: the announcement as its
// client object. False when it has none to give (the window's default
// answer then serves).
bool answer_get_object(WPARAM wparam, LPARAM lparam, LRESULT& result);

} // namespace vx::osd
