#include "core/soak_verdict.h"

#include <cstdio>

namespace keyhost {
namespace {

std::int64_t grown(std::int64_t first, std::int64_t last) { return last - first; }

std::int64_t own_handles(const ResourceSample& s) { return static_cast<std::int64_t>(s.handles) - s.mode_handles; }

void check_growth(const char* what, std::int64_t first, std::int64_t last, std::uint64_t limit,
                  std::vector<std::string>& problems)
{
    const std::int64_t growth = grown(first, last);
    if (growth > static_cast<std::int64_t>(limit))
        problems.push_back(std::string(what) + " grew from " + std::to_string(first) + " to " + std::to_string(last) +
                           " (at most +" + std::to_string(limit) + ")");
}

} // namespace

std::string soak_table_header()
{
    return "soak     events  handles (mode changes)    GDI   USER  windows  private KiB  timers";
}

std::string soak_table_row(const ResourceSample& s)
{
    char row[200];
    std::snprintf(row, sizeof row, "soak %10llu %8u %14lld %6u %6u %8u %12llu %7u",
                  static_cast<unsigned long long>(s.events), s.handles, static_cast<long long>(s.mode_handles), s.gdi,
                  s.user, s.windows, static_cast<unsigned long long>(s.private_kib), s.timers);
    std::string text = row;
    if (!s.repeating.empty())
        text += "  repeating: " + s.repeating;
    if (s.volume_moved)
        text += "  the volume moved at rest";
    return text;
}

std::vector<std::string> soak_problems(const std::vector<ResourceSample>& samples, const SoakLimits& limits)
{
    std::vector<std::string> problems;
    if (samples.empty())
        return {"no sample was taken"};
    for (const ResourceSample& s : samples) {
        const std::string at = " after " + std::to_string(s.events) + " events";
        if (!s.repeating.empty())
            problems.push_back("a timer kept running at rest" + at + ": " + s.repeating);
        if (s.volume_moved)
            problems.push_back("the volume moved at rest" + at + ": a volume repeat outlived its key");
    }
    const ResourceSample& first = samples.front();
    const ResourceSample& last = samples.back();
    check_growth("handles (without the mode changes')", own_handles(first), own_handles(last), limits.handles,
                 problems);
    check_growth("GDI objects", first.gdi, last.gdi, limits.gdi, problems);
    check_growth("USER objects", first.user, last.user, limits.user, problems);
    check_growth("windows", first.windows, last.windows, limits.windows, problems);
    check_growth("private KiB", static_cast<std::int64_t>(first.private_kib),
                 static_cast<std::int64_t>(last.private_kib), limits.private_kib, problems);
    return problems;
}

std::string soak_growth(const std::vector<ResourceSample>& samples)
{
    if (samples.empty())
        return "no samples";
    const ResourceSample& a = samples.front();
    const ResourceSample& b = samples.back();
    char line[256];
    std::snprintf(line, sizeof line,
                  "from %llu to %llu events: handles %+lld (%+lld of them the mode changes'), GDI %+lld, USER %+lld, "
                  "windows %+lld, private %+lld KiB",
                  static_cast<unsigned long long>(a.events), static_cast<unsigned long long>(b.events),
                  static_cast<long long>(grown(a.handles, b.handles)),
                  static_cast<long long>(grown(a.mode_handles, b.mode_handles)), static_cast<long long>(grown(a.gdi, b.gdi)),
                  static_cast<long long>(grown(a.user, b.user)), static_cast<long long>(grown(a.windows, b.windows)),
                  static_cast<long long>(grown(static_cast<std::int64_t>(a.private_kib),
                                               static_cast<std::int64_t>(b.private_kib))));
    return line;
}

} // namespace keyhost
