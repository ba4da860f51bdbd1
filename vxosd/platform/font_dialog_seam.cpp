#include "platform/font_dialog_seam.h"

namespace vx::osd::platform {

DialogSeam& dialogs()
{
    static DialogSeam seam{::ChooseFontA};
    return seam;
}

} // namespace vx::osd::platform
