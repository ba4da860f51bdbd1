// Which keys are down, merged over every source that reports them: each Raw
// Input device's reports (one state per report ID), the virtual keys of the
// keyboard hook and the replay script. Windows reports one press of a
// consumer key both as a HID report and as a virtual key; a key acts when its
// first holder presses it and ends when its last holder lets go, so the two
// act once. Portable: no Windows header.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace keyhost {

// Where a key state comes from: a device's report of one ID (0-255), or one
// of the streams of single key events, which have no device.
struct Source {
    std::uint64_t device = 0;
    std::uint32_t channel = 0;
    bool operator==(const Source&) const = default;
};
inline constexpr std::uint32_t kHookChannel = 0x100;
inline constexpr std::uint32_t kReplayChannel = 0x101;
inline constexpr Source kHookSource{0, kHookChannel};
inline constexpr Source kReplaySource{0, kReplayChannel};

struct KeyChange {
    std::uint32_t code = 0;
    bool pressed = false;
    bool operator==(const KeyChange&) const = default;
};

// More holdings than any keyboard can press at once; a report claiming more
// is cut there rather than growing the table.
inline constexpr std::size_t kMaxHoldings = 256;

class KeyTracker {
public:
    // `down` is every code `source` holds now (a whole report): codes it held
    // before and no longer lists are let go. Appends the changes to act on.
    void set(Source source, std::span<const std::uint32_t> down, std::vector<KeyChange>& changes);
    // One key of a stream going down or up; a repeated down changes nothing.
    void key(Source source, std::uint32_t code, bool pressed, std::vector<KeyChange>& changes);
    // Ends every key of every source: used when a source was lost and what
    // it still holds is unknown (device removed, desktop or session change,
    // unreadable report).
    void release_all(std::vector<KeyChange>& changes);
    // Ends every key `source` holds (the hook was lost: its ups will not come).
    void release_source(Source source, std::vector<KeyChange>& changes);

    bool down(std::uint32_t code) const;
    bool holds_any(std::uint64_t device) const;
    std::size_t holdings() const { return holdings_.size(); }

private:
    struct Holding {
        Source source;
        std::uint32_t code;
    };
    bool held_by(Source source, std::uint32_t code) const;
    void add(Source source, std::uint32_t code, std::vector<KeyChange>& changes);
    void remove_at(std::size_t index, std::vector<KeyChange>& changes);

    std::vector<Holding> holdings_;
};

} // namespace keyhost
