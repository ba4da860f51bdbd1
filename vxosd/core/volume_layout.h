// The two volume display layouts as lists of rectangles. Portable: no Windows
// header. cx, cy and the work-area bottom are the screen's, in physical
// pixels; the rules are evaluated in logical units at the given DPI and the
// rectangles returned in physical pixels. Divisions round toward zero and
// are unsigned where the level arithmetic needs it.
#pragma once
#include <cstdint>
#include <vector>

#include "core/geometry.h"

namespace vx::osd {

// Steps beyond this draw nothing more that a screen can show, and a caller's
// absurd count must not make the display loop for minutes.
inline constexpr std::uint32_t kMaxVolumeSteps = 1024;

// Steps as the displays use them: 0 means 32, and the count is capped.
std::uint32_t effective_steps(std::uint32_t steps);

// Segment k is lit when k * (maximum / divisor) < level, the division done
// first and unsigned. A divisor of 0 counts as 1.
bool segment_lit(std::uint32_t k, std::uint32_t level, std::uint32_t maximum, std::uint32_t divisor);

// The level as a whole percentage of the maximum, rounded to the nearest; a
// level at or above the maximum is 100, and with a maximum of 0 (every bar
// lit) any level above 0 is 100.
std::uint32_t volume_percent(std::uint32_t level, std::uint32_t maximum);

struct VolumeShape {
    Rect icon;                 // where the icon's shape goes, at its target size
    std::vector<Rect> rects;   // bars, stubs, frame edges and segments
    std::uint32_t lit = 0;     // lit bars or segments
    Rect number_box;           // framed layout: (0, 0, R, work-area bottom)
};

struct ClassicVolumeInput {
    std::int32_t cx = 0;
    std::int32_t cy = 0;
    bool vista = false;
    std::uint32_t level = 0;
    std::uint32_t steps = 0;
    std::uint32_t maximum = 0;
    std::int32_t icon_width = 0;  // bitmap size; the icon is scaled to the screen
    std::int32_t icon_height = 0;
    DpiScale dpi;
};

// Separate bars right of a loudspeaker in the lower middle of the screen; an
// unlit bar leaves only its bottom stub.
VolumeShape classic_volume(const ClassicVolumeInput& in);

struct FramedVolumeInput {
    std::int32_t cx = 0;
    std::int32_t cy = 0;
    std::int32_t work_bottom = 0;
    bool xp = false;
    std::uint32_t level = 0;
    std::uint32_t steps = 0;
    std::uint32_t maximum = 0;
    std::int32_t icon_width = 0;  // bitmap size; drawn at its logical size
    std::int32_t icon_height = 0;
    DpiScale dpi;
};

// A frame filling from the left beside a loudspeaker on the work area's
// bottom edge; the count of lit segments goes into number_box.
VolumeShape framed_volume(const FramedVolumeInput& in);

// The margin of the rounded background around the display, in physical
// pixels.
std::int32_t background_margin(std::int32_t cx, DpiScale dpi);

} // namespace vx::osd
