#include "core/volume_repeat.h"

#include "core/volume_math.h"

namespace vx::volume {

bool VolumeRepeat::start(std::uint32_t key)
{
    key_ = key;
    if (running_)
        return false;
    running_ = true;
    delay_ = 1;
    return true;
}

VolumeRepeat::Tick VolumeRepeat::tick()
{
    if (!running_)
        return Tick::Wait;
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

} // namespace vx::volume
