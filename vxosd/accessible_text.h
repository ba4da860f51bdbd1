// The MSAA object that the announcer window hands to assistive technology:
// an alert whose simple children are the last texts announced, each under
// the child id its EVENT_SYSTEM_ALERT carried, so a screen reader that reads
// an event late still reads that event's text.
#pragma once
#include <windows.h>

#include <oleacc.h>

#include <cstddef>

namespace vx::osd {

// How many of the last announced texts an object carries.
inline constexpr std::size_t kKeptAnnouncements = 8;

// One announced text and the child id its alert event named.
struct SaidText {
    LONG child = 0;
    wchar_t text[MAX_PATH] = {};
};

// A new object (one reference, the caller's) holding a copy of `said`
// (at most kKeptAnnouncements texts, the newest last; the object itself is named by the newest),
// located at `window`'s place; null when out of memory.
IAccessible* new_accessible_text(const SaidText* said, std::size_t count, HWND window);

// Disconnects every such object still alive from its clients
// (CoDisconnectObject): the stubs release them and a client's later call
// fails in the client's process instead of calling into this library.
void disconnect_accessible_texts();

// How many of them are alive (for tests).
std::size_t live_accessible_texts();

} // namespace vx::osd
