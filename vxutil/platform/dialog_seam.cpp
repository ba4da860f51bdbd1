#include "platform/dialog_seam.h"

namespace vx::platform {

DialogSeam& dialogs()
{
    static DialogSeam seam{::MessageBoxA, ::MessageBeep, ::ChooseFontA};
    return seam;
}

} // namespace vx::platform
