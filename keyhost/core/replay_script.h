// The replay script of the reference hot-key host: one step per line,
//   press 0xE9 | release 0xE9 | key 0xE2      (HID usage code, hex or decimal)
//   wait 700                                  (milliseconds, at most 60000)
//   lock caps|num|scroll on|off               (a lock key changing state)
//   mic on|off                                (the microphone indicator)
//   screenshot NAME                           (letters, digits, '-', '_', '.')
//   text WORDS...                             (the rest of the line, shown as text)
//   screen 800x600 | screen next              (a display mode change: that size,
//                                             or the display's next mode)
//   sample                                    (the process's resources at rest)
// Blank lines and lines starting with '#' are skipped. Portable: no Windows
// header, so it is tested natively and fuzzed.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace keyhost {

enum class StepKind { Press, Release, Key, Wait, Lock, Mic, Screenshot, Text, Screen, Sample };
enum class LockKey { Caps, Num, Scroll };

struct ReplayStep {
    StepKind kind = StepKind::Wait;
    std::uint32_t code = 0;   // Press, Release, Key
    std::uint32_t ms = 0;     // Wait
    LockKey lock = LockKey::Caps;
    bool on = false;          // Lock, Mic
    std::string name;         // Screenshot: the file name; Text: the text
    std::uint32_t width = 0;  // Screen; 0 by 0 = the display's next mode
    std::uint32_t height = 0;
    int line = 0;
};

struct ReplayScript {
    std::vector<ReplayStep> steps;
    std::string error; // empty when the whole script was read
};

inline constexpr std::size_t kMaxLineLength = 1024;
inline constexpr std::size_t kMaxSteps = 100000;
inline constexpr std::uint32_t kMaxWaitMs = 60000;
inline constexpr std::size_t kMaxNameLength = 64;
inline constexpr std::size_t kMaxTextLength = 256;
inline constexpr std::uint32_t kMaxScreenSide = 16384;

// Whether a step is an input event (a key, a lock key, the microphone, a text
// or a screen change) rather than a wait, a screenshot or a sample.
bool is_event(StepKind kind);

// Reads a whole script; on the first bad line stops with an error naming it.
ReplayScript parse_replay_script(std::string_view text);

} // namespace keyhost
