// The key-held repeat of the volume keys as a state machine. The owner runs a
// 150 ms timer while running() is true and calls tick() on each expiry.
// Holding a key gives one step at once (done by the caller), the next on the
// second tick, then one per tick; pressing the other volume key while one is
// held turns the direction at the next tick without a new delay.
// Portable: no Windows header.
#pragma once
#include <cstdint>

namespace vx::volume {

inline constexpr unsigned kRepeatIntervalMs = 150;

class VolumeRepeat {
public:
    enum class Tick { Wait, StepUp, StepDown };

    // Records the key; returns true when the caller must start the timer
    // (none was running), false when the running timer just changes direction.
    bool start(std::uint32_t key);
    Tick tick();
    // Ends the repeat whichever key was held.
    void stop() { running_ = false; }

    bool running() const { return running_; }
    std::uint32_t key() const { return key_; }

private:
    std::uint32_t key_ = 0;
    unsigned delay_ = 0;
    bool running_ = false;
};

} // namespace vx::volume
