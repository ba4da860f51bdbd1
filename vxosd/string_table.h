// Strings of the module's string table in the calling thread's language.
#pragma once
#include <windows.h>

namespace vx::osd {

inline constexpr UINT kMuteOnString = 1;
inline constexpr UINT kMuteOffString = 2;

// Loads string `id` in the language of the thread locale into `buffer`
// (truncated, terminated). Falls back to another variant of the same
// language, then to English. Returns the number of characters copied.
int load_string(UINT id, char* buffer, int size);

// As load_string, for an explicit language.
int load_string_in(LANGID language, UINT id, char* buffer, int size);

} // namespace vx::osd
