// The figures of a long run, one row per sample of the process at rest, and
// the verdict over them: flat when nothing grew beyond a small constant from
// the first sample and no timer kept running at rest. Portable.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace keyhost {

struct ResourceSample {
    std::uint64_t events = 0;      // input events played before the sample
    std::uint32_t handles = 0;     // kernel handles
    std::int64_t mode_handles = 0; // of them, left by the system's display mode changes themselves
    std::uint32_t gdi = 0;         // GDI objects
    std::uint32_t user = 0;        // USER objects (windows, menus, icons)
    std::uint32_t windows = 0;     // windows of the process, hidden and message-only ones too
    std::uint64_t private_kib = 0; // private bytes
    std::uint32_t timers = 0;      // timers of the thread that fired while it was at rest
    std::string repeating;         // a timer that fired again and again at rest ("" when none)
    bool volume_moved = false;     // the volume changed at rest: a repeat outlived its key
};

// Growth allowed from the first sample to the last: caches filled once, a
// window created again after a screen change, heap pages. Handles count
// without those the display mode changes left (Wine keeps registry keys of
// the display devices open at each change): they are not the host's.
struct SoakLimits {
    std::uint32_t handles = 8;
    std::uint32_t gdi = 8;
    std::uint32_t user = 8;
    std::uint32_t windows = 2;
    std::uint64_t private_kib = 2048;
};

std::string soak_table_header();
std::string soak_table_row(const ResourceSample& sample);
// What is wrong with a run; empty when it ran flat.
std::vector<std::string> soak_problems(const std::vector<ResourceSample>& samples, const SoakLimits& limits = {});
// The growth of each figure from the first sample to the last, one line.
std::string soak_growth(const std::vector<ResourceSample>& samples);

} // namespace keyhost
