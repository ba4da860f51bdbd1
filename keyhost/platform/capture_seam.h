// Capture family: the microphone's mute through the default capture endpoint
// (Core Audio) and through the winmm mixer's recording line. This machine has
// no capture device and Wine's capture endpoint is a stub, so tests put a
// fake microphone here.
#pragma once
#include <cstddef>

namespace keyhost::platform {

// One way to reach the microphone's mute.
struct CaptureMute {
    // 1 muted, 0 not muted, -1 when there is no device or no mute control;
    // then `why` (of `size` bytes) says which.
    int (*get)(char* why, std::size_t size);
    // True when the device took the change.
    bool (*set)(bool muted);
};

struct CaptureSeam {
    CaptureMute endpoint; // the default capture endpoint, communications role first, then console
    CaptureMute mixer;    // the mute of the first mixer's microphone (or recording) line
};

CaptureSeam& capture();

} // namespace keyhost::platform
