#include "platform/session_seam.h"

namespace keyhost::platform {

SessionSeam& session()
{
    static SessionSeam seam{::CreateMutexA};
    return seam;
}

} // namespace keyhost::platform
