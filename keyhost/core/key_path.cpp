#include "core/key_path.h"

#include <algorithm>

namespace keyhost {
namespace {

// A hook sees the key before the other ways do, or shortly after: a down
// this much before the expectation answers it too.
constexpr std::uint64_t kHookLeadMs = 250;
constexpr std::size_t kMaxExpected = 16;

} // namespace

bool action_thread_responsive(std::uint64_t now, std::uint64_t busy_since)
{
    return busy_since == 0 || now < busy_since || now - busy_since < kResponsiveMs;
}

bool too_late(std::uint64_t now, std::uint64_t queued) { return now >= queued && now - queued >= kResponsiveMs; }

HoldEnd hook_hold_end(const HookHold& hold, std::uint64_t now, std::uint64_t window)
{
    if (hold_limit_reached(hold.pressed, now))
        return HoldEnd::Limit;
    if (now > hold.last_down && now - hold.last_down > window)
        return HoldEnd::Released;
    return HoldEnd::None;
}

std::uint64_t repeat_window(int delay_setting, int speed_setting)
{
    const int delay = std::clamp(delay_setting, 0, 3);
    const int speed = std::clamp(speed_setting, 0, 31);
    const std::uint64_t first = 250u * static_cast<std::uint64_t>(delay + 1);
    const std::uint64_t interval = 400u - static_cast<std::uint64_t>(speed) * 367u / 31u;
    return first + 2 * interval + 250;
}

void HookWatch::expect(std::uint32_t virtual_key, std::uint64_t now)
{
    if (expected_.size() < kMaxExpected)
        expected_.push_back({virtual_key, now});
}

bool HookWatch::lost(std::uint64_t now, const std::function<std::uint64_t(std::uint32_t)>& hook_seen)
{
    bool lost = false;
    std::erase_if(expected_, [&](const Expected& e) {
        const std::uint64_t seen = hook_seen(e.virtual_key);
        if (seen != 0 && seen + kHookLeadMs >= e.since)
            return true;
        if (now - e.since < kHookAnswerMs)
            return false;
        lost = true;
        return true;
    });
    if (lost)
        expected_.clear();
    return lost;
}

} // namespace keyhost
