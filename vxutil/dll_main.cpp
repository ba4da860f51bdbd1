// VXUtil.dll entry point: on process attach the library records only its
// module handle.
#include "module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        vx::set_this_module(instance);
    return TRUE;
}
