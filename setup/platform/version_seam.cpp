#include "platform/version_seam.h"

namespace vx::setup::platform {
namespace {

BOOL WINAPI version_ex(LPOSVERSIONINFOA info)
{
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    return ::GetVersionExA(info);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
}

NativeSystemInfoFn find_native_system_info()
{
    HMODULE kernel = GetModuleHandleA("kernel32");
    if (!kernel)
        return nullptr;
    return reinterpret_cast<NativeSystemInfoFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetNativeSystemInfo")));
}

} // namespace

VersionSeam& version()
{
    static VersionSeam seam{version_ex, find_native_system_info};
    return seam;
}

} // namespace vx::setup::platform
