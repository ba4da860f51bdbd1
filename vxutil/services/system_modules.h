// Loading Windows DLLs by name from the system folder only, never from the
// host program's folder or the current folder where a planted copy could sit.
#pragma once
#include <windows.h>

namespace vx {

// LoadLibrary of "<system folder>\<name>"; null when the path does not fit
// or the module cannot be loaded. Free with FreeLibrary.
HMODULE load_system_library(const char* name);

} // namespace vx
