#include "platform/version_language_seam.h"

#include "vxutil.h"

namespace vx::osd::platform {

SystemSeam& os()
{
    static SystemSeam seam{::IsNT, ::IsWinXP, ::IsWinVista, ::GetSystemDefaultLangID, ::OutputDebugStringA};
    return seam;
}

} // namespace vx::osd::platform
