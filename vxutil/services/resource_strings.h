// Loading strings of the library's own string table in the language of the
// calling thread's locale. LoadStringA follows SetThreadLocale only on old
// Windows versions (and on Wine); this lookup asks for the language
// explicitly, so every version picks the same text.
#pragma once
#include <windows.h>

namespace vx {

// Copies string `id` of `module` in `language` into `buffer` (truncated,
// always terminated). A language the module lacks falls back to the primary
// language's default sublanguage, then to English (United States), then to
// neutral. Returns the number of characters copied, 0 when there is no string.
int load_string(HMODULE module, UINT id, char* buffer, int size, LANGID language);

// The same for VXUtil's own table in the language of the thread locale.
int load_string(UINT id, char* buffer, int size);

} // namespace vx
