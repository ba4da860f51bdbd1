// The key-held repeat of the volume keys as a state machine. The owner runs a
// 150 ms timer while running() is true and calls tick() on each expiry.
// Holding a key gives one step at once (done by the caller), the next on the
// second tick, then one per tick; pressing the other volume key while one is
// held turns the direction at the next tick without a new delay.
// A repeat ends by itself once a step leaves every channel at the end of the
// range in the held direction, and when no key call came for kRepeatLimitMs:
// a key-up can be lost (the secure desktop took it, the host missed it), and
// the timer must not run for ever then.
// Portable: no Windows header.
#pragma once
#include <cstdint>
#include <span>

namespace vx::volume {

inline constexpr unsigned kRepeatIntervalMs = 150;
inline constexpr std::uint32_t kRepeatLimitMs = 8000;

class VolumeRepeat {
public:
    enum class Tick { Wait, StepUp, StepDown, End };

    // Records the key and restarts the limit at `now_ms` (a millisecond
    // clock that may wrap); returns true when the caller must start the timer
    // (none was running), false when the running timer just changes direction.
    bool start(std::uint32_t key, std::uint32_t now_ms);
    // End: the limit passed; the repeat is no longer running.
    Tick tick(std::uint32_t now_ms);
    // The levels a step of the held key left: at the end of the range the
    // repeat stops (running() turns false).
    void stepped(std::span<const std::uint32_t> levels);
    // Ends the repeat whichever key was held.
    void stop() { running_ = false; }

    bool running() const { return running_; }
    std::uint32_t key() const { return key_; }

private:
    std::uint32_t key_ = 0;
    std::uint32_t started_ = 0;
    unsigned delay_ = 0;
    bool running_ = false;
};

} // namespace vx::volume
