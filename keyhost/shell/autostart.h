// "Start with Windows": the value "VXKeyHost" of the per-user Run key, naming
// this program.
#pragma once

namespace keyhost {

// True when the Run value names this program.
bool autostart_enabled();
// Writes or deletes the value; true when the key now says what was asked.
bool set_autostart(bool on);

} // namespace keyhost
