// Command-line switches of setup: "/H", "/S", "/QN", "/NR" and the accepted
// but unused ones. No Windows header.
#pragma once
#include <cstddef>
#include <string_view>

namespace vx::setup {

inline constexpr std::size_t kMaxSwitches = 15;
inline constexpr std::size_t kMaxSwitchLength = 15;

struct SwitchFlags {
    bool hidden = false;
    bool silent = false;
    bool no_restart = false;
};

// Splits the command line at every '/', dropping blanks and tabs; text before
// the first '/' is ignored and an empty switch ends the list. At most
// kMaxSwitches switches are looked at, each cut to kMaxSwitchLength
// characters; names are compared without regard to case. Flags already set
// in start stay set.
SwitchFlags parse_switches(std::string_view command_line, SwitchFlags start = {});

} // namespace vx::setup
