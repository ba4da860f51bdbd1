// Volume arithmetic of the speakers line: 16-bit channel levels, capped
// steps, the running mean the volume display shows, and the mute toggle.
// Portable: no Windows header.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

namespace vx::volume {

inline constexpr std::uint32_t kMaxLevel = 0xFFFF;
inline constexpr std::uint32_t kDefaultStep = 2730; // 0x0AAA, about 1/24 of the range
inline constexpr std::size_t kMaxChannels = 12;     // size of the per-channel value buffer
inline constexpr std::uint32_t kVolumeUpKey = 0xE9;  // HID consumer usages of the volume keys
inline constexpr std::uint32_t kVolumeDownKey = 0xEA;

// A step of 0 means the default step.
constexpr std::uint32_t effective_step(std::uint32_t step) { return step ? step : kDefaultStep; }

// Raises a level by `step`; a level whose headroom is smaller than the step
// (or that is already out of range) becomes kMaxLevel.
constexpr std::uint32_t step_up(std::uint32_t level, std::uint32_t step)
{
    if (level >= kMaxLevel || kMaxLevel - level < step)
        return kMaxLevel;
    return level + step;
}

// Lowers a level by `step`, stopping at 0.
constexpr std::uint32_t step_down(std::uint32_t level, std::uint32_t step)
{
    return level < step ? 0 : level - step;
}

// Running mean in channel order: m starts at 0; for channel i with value v
// different from m, m = (v + m * i) / (i + 1), truncated at each step. The
// product is taken in 64 bits so that no channel count or level can wrap.
std::uint32_t running_mean(std::span<const std::uint32_t> levels);

// Logical negation of a mute value: any non-zero value becomes 0, 0 becomes 1.
constexpr std::uint32_t toggled_mute(std::uint32_t value) { return value ? 0u : 1u; }

} // namespace vx::volume

namespace vx::volume {

// Core Audio speaks in scalars from 0.0 to 1.0; the keys and the display in
// 16-bit levels. Both directions round to the nearest value and clamp, so a
// level survives the round trip unchanged.
std::uint32_t level_from_scalar(float scalar);
float scalar_from_level(std::uint32_t level);

} // namespace vx::volume
