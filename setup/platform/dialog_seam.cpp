#include "platform/dialog_seam.h"

namespace vx::setup::platform {

DialogSeam& dialogs()
{
    static DialogSeam seam{::MessageBoxA, ::MessageBoxW};
    return seam;
}

} // namespace vx::setup::platform
