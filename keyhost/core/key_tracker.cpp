#include "core/key_tracker.h"

#include <algorithm>

namespace keyhost {

bool KeyTracker::down(std::uint32_t code) const
{
    return std::any_of(holdings_.begin(), holdings_.end(), [&](const Holding& h) { return h.code == code; });
}

bool KeyTracker::holds_any(std::uint64_t device) const
{
    return std::any_of(holdings_.begin(), holdings_.end(),
                       [&](const Holding& h) { return h.source.device == device && device != 0; });
}

bool KeyTracker::held_by(Source source, std::uint32_t code) const
{
    return std::any_of(holdings_.begin(), holdings_.end(),
                       [&](const Holding& h) { return h.source == source && h.code == code; });
}

void KeyTracker::add(Source source, std::uint32_t code, std::vector<KeyChange>& changes)
{
    if (code == 0 || held_by(source, code) || holdings_.size() >= kMaxHoldings)
        return;
    if (!down(code))
        changes.push_back({code, true});
    holdings_.push_back({source, code});
}

void KeyTracker::remove_at(std::size_t index, std::vector<KeyChange>& changes)
{
    const std::uint32_t code = holdings_[index].code;
    holdings_.erase(holdings_.begin() + static_cast<std::ptrdiff_t>(index));
    if (!down(code))
        changes.push_back({code, false});
}

void KeyTracker::set(Source source, std::span<const std::uint32_t> down_now, std::vector<KeyChange>& changes)
{
    // Releases first, so a report that swaps one key for another ends the
    // old function before the new one starts.
    for (std::size_t i = holdings_.size(); i-- > 0;) {
        const Holding& h = holdings_[i];
        if (h.source == source && std::find(down_now.begin(), down_now.end(), h.code) == down_now.end())
            remove_at(i, changes);
    }
    for (const std::uint32_t code : down_now)
        add(source, code, changes);
}

void KeyTracker::key(Source source, std::uint32_t code, bool pressed, std::vector<KeyChange>& changes)
{
    if (pressed) {
        add(source, code, changes);
        return;
    }
    for (std::size_t i = 0; i < holdings_.size(); ++i) {
        if (holdings_[i].source == source && holdings_[i].code == code) {
            remove_at(i, changes);
            return;
        }
    }
}

void KeyTracker::release_source(Source source, std::vector<KeyChange>& changes)
{
    for (std::size_t i = holdings_.size(); i-- > 0;)
        if (holdings_[i].source == source)
            remove_at(i, changes);
}

void KeyTracker::release_all(std::vector<KeyChange>& changes)
{
    while (!holdings_.empty())
        remove_at(holdings_.size() - 1, changes);
}

} // namespace keyhost
