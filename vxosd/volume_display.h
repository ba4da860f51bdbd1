// The volume displays: classic separate bars, and the framed bar with its
// count (OSD_ShowVolume, OSD_ShowVolumeEx).
#pragma once

namespace vx::osd {

// Both return 1 when the display was put up, 0 when it is disabled or no
// region could be made.
int show_volume(unsigned level, unsigned steps, unsigned maximum);
int show_volume_ex(unsigned level, unsigned steps, unsigned maximum, int type);

// Unregisters the background window's class (the system deletes its brush;
// the next background takes the background colour of that time).
void unregister_background_class();

} // namespace vx::osd
