// The text display shared by OSD_ShowString and OSD_ShowMuteIcon.
#pragma once
#include <windows.h>

#include "display_placement.h"

namespace vx::osd {

// Draws `text` (with bitmap `icon_id` at its right when not 0) into the
// display window's region on `screen` and puts the display up. Returns false
// when the display is disabled or nothing could be drawn; true too when the
// "FullScreen" setting left the picture out.
bool show_text(const ScreenArea& screen, const char* text, RECT* rect, UINT format, int icon_id);

} // namespace vx::osd
