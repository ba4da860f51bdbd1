#include "platform/cloaking_seam.h"

#include "services/system_modules.h"

namespace vx::platform {
namespace {

using WindowAttribute = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);

// dwmapi.dll exists from Windows Vista on, so it is loaded at run time, from
// the system folder only; it stays loaded with the process.
HRESULT WINAPI dwm_window_attribute(HWND window, DWORD attribute, PVOID value, DWORD size)
{
    static const WindowAttribute entry = [] {
        const HMODULE dwm = vx::load_system_library("dwmapi.dll");
        return dwm ? reinterpret_cast<WindowAttribute>(
                         reinterpret_cast<void*>(GetProcAddress(dwm, "DwmGetWindowAttribute")))
                   : nullptr;
    }();
    return entry ? entry(window, attribute, value, size) : E_NOTIMPL;
}

} // namespace

DesktopSeam& desktop()
{
    static DesktopSeam seam{dwm_window_attribute};
    return seam;
}

} // namespace vx::platform
