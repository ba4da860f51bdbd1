// The six CD keys: classify the disc, then drive a player, fall back to MCI
// for audio CDs, or tell the user why the key cannot work.
#pragma once
#include <cstdint>

namespace vx::cd_buttons {

// Runs a CD key's HID usage code: 1 when it was handled, 0 for other codes,
// without any CD-ROM drive, or when the player could not be brought in front.
int dispatch(std::uint32_t code);

// Shows message `id` of the string table in a system-modal box, or only
// beeps while another such box is open.
void show_message(unsigned id);

inline constexpr unsigned kNoDisc = 30002;
inline constexpr unsigned kSoftwareDisc = 30003;
inline constexpr unsigned kNotForSoftware = 30004;
inline constexpr unsigned kNoVideoPlayer = 30005;
inline constexpr unsigned kCaption = 30000;

} // namespace vx::cd_buttons
