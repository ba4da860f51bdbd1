#include "platform/system_seam.h"

namespace vx::platform {
namespace {

// GetNativeSystemInfo does not exist before Windows XP; look it up by name
// and fall back to GetSystemInfo, which answers the same on 32-bit Windows.
void WINAPI native_system_info(LPSYSTEM_INFO info)
{
    using Fn = void(WINAPI*)(LPSYSTEM_INFO);
    static const Fn fn = [] {
        HMODULE kernel = GetModuleHandleA("kernel32");
        return kernel ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetNativeSystemInfo")))
                      : nullptr;
    }();
    if (fn)
        fn(info);
    else
        GetSystemInfo(info);
}

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

} // namespace

SystemSeam& os()
{
    static SystemSeam seam{version_ex, native_system_info, ::GetTickCount, ::Sleep, ::WaitForSingleObject};
    return seam;
}

WindowsVersion windows_version()
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!os().GetVersionExA(&info))
        return {0, 0, 0};
    return {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
}

} // namespace vx::platform
