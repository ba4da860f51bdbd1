// VXUtil.dll entry point: on process attach the library records only its
// module handle. When the host frees the library (from any thread), the
// volume keys' repeat window gives up its procedure in this module, and
// nothing else is done under the loader lock; at process exit nothing is
// done at all.
#include "buttons/volume/mixer.h"
#include "module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH)
        vx::set_this_module(instance);
    else if (reason == DLL_PROCESS_DETACH && !reserved)
        vx::mixer::release_repeat_on_unload();
    return TRUE;
}
