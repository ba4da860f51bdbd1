// The NumLock, CapsLock, ScrollLock and microphone indicator windows.
#pragma once

namespace vx::osd {

// Hides the indicator windows that exist (the framed volume display takes
// their place).
void hide_indicators();

} // namespace vx::osd
