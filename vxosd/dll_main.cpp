// VXOSD.dll entry point: on process attach the library records only its
// module handle; nothing is done at detach (the host calls OSD_Destroy).
#include "osd_module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        vx::osd::set_this_module(instance);
    return TRUE;
}
