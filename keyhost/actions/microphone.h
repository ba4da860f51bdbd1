// The microphone key: mutes or unmutes the microphone itself, through the
// default capture endpoint where Windows has one and through the winmm
// mixer's microphone mute otherwise. The state is read from the device on
// every press, so a change made elsewhere (a meeting program, the Settings
// page) is what the next press starts from.
#pragma once
#include <string>

namespace keyhost {

struct MicState {
    bool present = false;    // a device with a mute control answered
    bool muted = false;      // its mute, read back from the device
    const char* way = "";    // "capture endpoint" or "mixer"
    std::string why;         // without a device: why none answered
};

// The microphone's state now.
MicState microphone_state();
// Flips the mute read now and returns the state read back after the change.
MicState toggle_microphone();

} // namespace keyhost
