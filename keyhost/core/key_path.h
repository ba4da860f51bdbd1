// The timing rules of the key path, apart from the threads that apply them:
// when the action thread counts as busy, when a held key has ended although
// no release came, and when the keyboard hook counts as lost. Times are
// milliseconds of one monotonic clock. Portable: no Windows header.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

namespace keyhost {

// A key is taken only while the action thread picked up its current work
// less than this long ago (or has none); work it has not picked up within
// this long goes back to Windows.
inline constexpr std::uint64_t kResponsiveMs = 250;

// `busy_since` is when the action thread picked up the work it is doing, 0
// while it waits for work.
bool action_thread_responsive(std::uint64_t now, std::uint64_t busy_since);
// Work queued at `queued` and not picked up by `now` is too late to run.
bool too_late(std::uint64_t now, std::uint64_t queued);

// No key is held longer than this: the whole volume range takes under 4 s.
inline constexpr std::uint64_t kHoldLimitMs = 8000;

// A key held through the keyboard hook. Windows updates no key state for a
// key a low-level hook swallows, so what says it is still down is the
// keyboard's own repeat: its downs keep coming while it is held.
struct HookHold {
    std::uint64_t pressed = 0;   // first down
    std::uint64_t last_down = 0; // latest down, repeats included
};
enum class HoldEnd { None, Released, Limit };
// `repeat_window` is the longest a held key goes without a repeated down.
HoldEnd hook_hold_end(const HookHold& hold, std::uint64_t now, std::uint64_t repeat_window);
// Whether a key held since `pressed` by any source has reached the limit.
inline bool hold_limit_reached(std::uint64_t pressed, std::uint64_t now) { return now - pressed >= kHoldLimitMs; }
// The repeat window for the keyboard's settings (SPI_GETKEYBOARDDELAY 0-3,
// quarter seconds after the first, and SPI_GETKEYBOARDSPEED 0-31, about 2.5
// to 30 repeats a second), with room for a late repeat.
std::uint64_t repeat_window(int delay_setting, int speed_setting);

// Notices a keyboard hook that Windows removed: a press the hook should have
// seen came in another way (a Raw Input report or keystroke), and the hook
// saw no down of that virtual key around it.
inline constexpr std::uint64_t kHookAnswerMs = 300;

class HookWatch {
public:
    // A press of `virtual_key` arrived without the hook at `now`.
    void expect(std::uint32_t virtual_key, std::uint64_t now);
    // `hook_seen(vk)` is when the hook last saw a down of vk (0: never).
    // True when an expectation went unanswered for kHookAnswerMs: the hook
    // is lost. Answered and failed expectations are dropped.
    bool lost(std::uint64_t now, const std::function<std::uint64_t(std::uint32_t)>& hook_seen);
    bool waiting() const { return !expected_.empty(); }
    void clear() { expected_.clear(); }

private:
    struct Expected {
        std::uint32_t virtual_key;
        std::uint64_t since;
    };
    std::vector<Expected> expected_;
};

} // namespace keyhost
