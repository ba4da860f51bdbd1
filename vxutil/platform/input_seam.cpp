#include "platform/input_seam.h"

namespace vx::platform {

InputSeam& input()
{
    static InputSeam seam{::SendInput, ::keybd_event};
    return seam;
}

} // namespace vx::platform
