// Functions of Windows DLLs that not every Windows version has, or that only
// an opt-in setting needs: looked up by name in the system folder's copy of
// the DLL, so the library loads on systems without them and hosts that never
// use them do not load those DLLs.
#pragma once
#include <windows.h>

namespace vx::osd::platform {

// The function, or null when the DLL or the function is missing. The DLL
// stays loaded.
void* system_function(const char* dll, const char* name);

template <class Fn>
Fn system_function_as(const char* dll, const char* name)
{
    return reinterpret_cast<Fn>(system_function(dll, name));
}

} // namespace vx::osd::platform
