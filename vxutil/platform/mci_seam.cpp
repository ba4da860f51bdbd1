#include "platform/mci_seam.h"

namespace vx::platform {

MciSeam& mci()
{
    static MciSeam seam{::mciSendStringA, ::mciGetErrorStringA, ::mciSendCommandA};
    return seam;
}

} // namespace vx::platform
