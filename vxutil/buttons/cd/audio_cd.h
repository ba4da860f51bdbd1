// Audio-CD control through MCI command strings on the alias "vxbcd".
#pragma once
#include <cstdint>

namespace vx::audio_cd {

// Runs the operation of a CD key's HID usage code (play, pause, next,
// previous, stop, play/pause) on `drive`; returns 1 for those codes and 0
// for any other, whatever the operation's own result.
int dispatch(std::uint32_t code, const char* drive);

// The remembered pause position ("" when none), for tests.
const char* saved_position();
void reset_for_tests();

} // namespace vx::audio_cd
