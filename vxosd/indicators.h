// The NumLock, CapsLock, ScrollLock and microphone indicator windows.
#pragma once

namespace vx::osd {

// Hides the indicator windows that exist (the framed volume display takes
// their place).
void hide_indicators();

// Unregisters the four classes (the system deletes their brushes).
void unregister_indicator_classes();

} // namespace vx::osd
