#include "core/volume_math.h"

namespace vx::volume {

std::uint32_t running_mean(std::span<const std::uint32_t> levels)
{
    std::uint64_t mean = 0;
    std::uint64_t index = 0;
    for (const std::uint32_t level : levels) {
        if (level != mean)
            mean = (level + mean * index) / (index + 1);
        ++index;
    }
    return static_cast<std::uint32_t>(mean);
}

} // namespace vx::volume

namespace vx::volume {

std::uint32_t level_from_scalar(float scalar)
{
    if (!(scalar > 0.0f)) // also catches NaN
        return 0;
    if (scalar >= 1.0f)
        return kMaxLevel;
    return static_cast<std::uint32_t>(scalar * static_cast<float>(kMaxLevel) + 0.5f);
}

float scalar_from_level(std::uint32_t level)
{
    if (level >= kMaxLevel)
        return 1.0f;
    return static_cast<float>(level) / static_cast<float>(kMaxLevel);
}

} // namespace vx::volume
