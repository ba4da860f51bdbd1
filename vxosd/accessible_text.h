// An MSAA object whose name is a text: what the display window hands to
// assistive technology that asks for its client object after an alert.
#pragma once
#include <windows.h>

#include <oleacc.h>

namespace vx::osd {

// A new object (one reference, the caller's) named `text`, located at
// `window`'s place; null when out of memory.
IAccessible* new_accessible_text(const wchar_t* text, HWND window);

} // namespace vx::osd
