#include "core/volume_repeat.h"

#include <algorithm>

#include "core/volume_math.h"

namespace vx::volume {

bool VolumeRepeat::start(std::uint32_t key, std::uint32_t now_ms)
{
    key_ = key;
    started_ = now_ms;
    if (running_)
        return false;
    running_ = true;
    delay_ = 1;
    return true;
}

VolumeRepeat::Tick VolumeRepeat::tick(std::uint32_t now_ms)
{
    if (!running_)
        return Tick::Wait;
    if (now_ms - started_ >= kRepeatLimitMs) {
        running_ = false;
        return Tick::End;
    }
    if (delay_ > 0) {
        --delay_;
        return Tick::Wait;
    }
    if (key_ == kVolumeUpKey)
        return Tick::StepUp;
    if (key_ == kVolumeDownKey)
        return Tick::StepDown;
    return Tick::Wait;
}

void VolumeRepeat::stepped(std::span<const std::uint32_t> levels)
{
    if (levels.empty() || (key_ != kVolumeUpKey && key_ != kVolumeDownKey))
        return;
    const std::uint32_t end = key_ == kVolumeUpKey ? kMaxLevel : 0;
    if (std::all_of(levels.begin(), levels.end(), [end](std::uint32_t level) { return level == end; }))
        running_ = false;
}

} // namespace vx::volume
