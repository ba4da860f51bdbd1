// Tells assistive technology what a show put up (the show path decides
// whether the "Announce" setting asks for it): UI Automation's notification
// event where Windows has it, else an MSAA alert from the window showing it,
// whose client object is then named by the text. Never takes the focus; the
// show is already up.
#pragma once
#include <windows.h>

#include <string>

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

// Tells `text` from `window`, the window showing it (null: the display
// window, made when missing).
void announce(HWND window, const std::u16string& text);

// A display or indicator window's answer to WM_GETOBJECT: the last
// announcement as its client object when `window` told it. False when it has
// none to give (the window's default answer then serves).
bool answer_get_object(HWND window, WPARAM wparam, LPARAM lparam, LRESULT& result);

} // namespace vx::osd
