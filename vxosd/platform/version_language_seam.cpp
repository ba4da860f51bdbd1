#include "platform/version_language_seam.h"

#include "platform/system_function.h"
#include "vxutil.h"

namespace vx::osd::platform {
namespace {

HRESULT WINAPI notification_state(QUERY_USER_NOTIFICATION_STATE* state)
{
    using Query = HRESULT(WINAPI*)(QUERY_USER_NOTIFICATION_STATE*);
    static const auto query = system_function_as<Query>("shell32.dll", "SHQueryUserNotificationState");
    return query ? query(state) : E_NOTIMPL;
}

} // namespace

SystemSeam& os()
{
    static SystemSeam seam{::IsNT, ::IsWinXP, ::IsWinVista, ::GetSystemDefaultLangID, ::OutputDebugStringA,
                           notification_state};
    return seam;
}

} // namespace vx::osd::platform
