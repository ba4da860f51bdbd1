#include "platform/desktop_seam.h"

#include "platform/system_function.h"

namespace vx::osd::platform {
namespace {

HRESULT WINAPI composition_enabled(BOOL* enabled)
{
    using Query = HRESULT(WINAPI*)(BOOL*);
    static const auto query = system_function_as<Query>("dwmapi.dll", "DwmIsCompositionEnabled");
    return query ? query(enabled) : E_NOTIMPL;
}

} // namespace

DesktopSeam& desktop()
{
    static DesktopSeam seam{::GetForegroundWindow, composition_enabled};
    return seam;
}

} // namespace vx::osd::platform
