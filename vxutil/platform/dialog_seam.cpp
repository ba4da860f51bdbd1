#include "platform/dialog_seam.h"

namespace vx::platform {

DialogSeam& dialogs()
{
    static DialogSeam seam{::MessageBoxA, ::MessageBeep};
    return seam;
}

} // namespace vx::platform
