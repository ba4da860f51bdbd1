// One sample of the long run: what the process holds once it is at rest
// (every display hidden), and which of the thread's timers still run then.
#pragma once
#include <windows.h>

#include <cstdint>

#include "core/soak_verdict.h"

namespace keyhost {

// Runs the thread's messages until every window of the thread is hidden (at
// most `settle_ms`), then for a short watch in which any timer that fires
// more than once, or a volume that moves, is a repeat left running; then
// counts the process's handles, GDI and USER objects, windows and private
// bytes.
ResourceSample sample_at_rest(std::uint64_t events, DWORD settle_ms);

// The process's kernel handles: the system's count, or where it answers 0
// (Wine), the handle numbers in use.
std::uint32_t count_kernel_handles();

} // namespace keyhost
