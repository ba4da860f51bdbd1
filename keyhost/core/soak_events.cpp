#include "core/soak_events.h"

#include <string>

#include "core/consumer_keys.h"

namespace keyhost {
namespace {

// Rows of the function table with no function, and the CD keys (no disc
// here, so they pass to Windows): they exercise the table and the tracker
// without starting anything.
constexpr std::uint32_t kQuietKeys[] = {0x022A, 0x0221, 0x0181, 0x0224, 0x0225, 0x8101, 0x8105, 0x8109, 0x0030,
                                        0x0032, 0x00B0, 0x00B1, 0x00B5, 0x00B6, 0x00B7, 0x00CD};
constexpr const char* kWords[] = {"Volume", "keys", "ready", "Caps", "Lock", "on", "off", "Microphone", "muted",
                                  "level", "42 %", "Mute", "Num", "Scroll", "a much longer line of text"};

} // namespace

SoakEvents::SoakEvents(const SoakPlan& plan)
    : plan_(plan), state_(plan.seed), next_sample_(plan.sample_every), next_screen_(plan.screen_every / 5)
{
}

// splitmix64: the same stream from the same seed on every compiler.
std::uint64_t SoakEvents::random()
{
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

void SoakEvents::add(StepKind kind, std::uint32_t code, std::uint32_t ms)
{
    ReplayStep step;
    step.kind = kind;
    step.code = code;
    step.ms = ms;
    if (is_event(kind))
        ++events_;
    queue_.push_back(std::move(step));
}

// A volume key held past its repeat, sometimes turned by the other volume
// key meanwhile, released in either order.
void SoakEvents::add_hold()
{
    const std::uint32_t first = below(2) ? kVolumeUp : kVolumeDown;
    const std::uint32_t other = first == kVolumeUp ? kVolumeDown : kVolumeUp;
    add(StepKind::Press, first);
    add(StepKind::Wait, 0, below(500));
    if (below(3) == 0) {
        add(StepKind::Press, other);
        add(StepKind::Wait, 0, below(400));
        add(StepKind::Release, below(2) ? first : other);
        add(StepKind::Release, queue_.back().code == first ? other : first);
    } else {
        add(StepKind::Release, first);
    }
}

void SoakEvents::add_text()
{
    std::string text = kWords[below(std::size(kWords))];
    for (std::uint32_t n = below(4); n > 0; --n)
        text += std::string(" ") + kWords[below(std::size(kWords))];
    add(StepKind::Text);
    queue_.back().name = std::move(text);
}

// One short run of events that leaves no key held, so a sample may follow.
void SoakEvents::plan_episode()
{
    const std::uint32_t roll = below(100);
    if (roll < 22) {
        add(StepKind::Key, below(2) ? kVolumeUp : kVolumeDown);
    } else if (roll < 24) {
        add_hold();
    } else if (roll < 32) {
        add(StepKind::Key, kMute);
    } else if (roll < 52) {
        add(StepKind::Key, kQuietKeys[below(std::size(kQuietKeys))]);
    } else if (roll < 57) {
        // Two keys overlapping: the tracker keeps each until its own release.
        const std::uint32_t a = kQuietKeys[below(std::size(kQuietKeys))];
        const std::uint32_t b = below(2) ? kMute : kQuietKeys[below(std::size(kQuietKeys))];
        add(StepKind::Press, a);
        add(StepKind::Press, b);
        add(StepKind::Release, a);
        add(StepKind::Release, b);
    } else if (roll < 72) {
        add(StepKind::Lock);
        queue_.back().lock = static_cast<LockKey>(below(3));
        queue_.back().on = below(2) != 0;
    } else if (roll < 77) {
        add(StepKind::Mic);
        queue_.back().on = below(2) != 0;
    } else if (roll < 82) {
        add(StepKind::Key, kMicMuteCode);
    } else if (roll < 97) {
        add_text();
    } else {
        // A pause now and then lets the displays' timers run between keys.
        add(StepKind::Wait, 0, 5 + below(60));
    }
}

bool SoakEvents::next(ReplayStep& step)
{
    while (queue_.empty() && !ended_) {
        if (events_ >= plan_.events) {
            add(StepKind::Sample);
            ended_ = true;
        } else if (events_ >= next_sample_) {
            add(StepKind::Sample);
            next_sample_ += plan_.sample_every;
        } else if (plan_.screen_every && events_ >= next_screen_) {
            add(StepKind::Screen); // the display's next mode, whatever the display offers
            next_screen_ += plan_.screen_every;
        } else {
            plan_episode();
        }
    }
    if (queue_.empty())
        return false;
    step = std::move(queue_.front());
    queue_.pop_front();
    return true;
}

} // namespace keyhost
