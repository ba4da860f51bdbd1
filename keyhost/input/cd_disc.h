// Whether the table's CD functions have something to act on: a CD-ROM drive
// holding an audio CD, a DVD-Video or a Video CD, classified by VXUtil's
// disc rules through its exports. Without one they could only show "There is
// no CD in the drive" or start a software disc's autorun, so the CD keys go
// to Windows' own media handling instead. A running player alone does not
// count: the CD functions drive players only for such a disc.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>

namespace keyhost {

// Whether the drive with root "X:\" is a CD-ROM drive holding such a disc.
bool disc_for_cd_keys(const char* root);

// Checks the drives on a thread of its own (a spun-down disc takes seconds
// to answer) and keeps the one disc state that the hook and the host decide
// the CD keys with (key_state().disc): all CD-ROM drives at the start, then
// only the CD-ROM drives a media arrival or removal names.
class DiscWatch {
public:
    using Log = std::function<void(const char* line)>;
    ~DiscWatch() { stop(); }
    void start(Log log);
    // The drives of a DBT_DEVICEARRIVAL / DBT_DEVICEREMOVECOMPLETE notice's
    // unit mask (bit 0 = A:).
    void changed(std::uint32_t unit_mask);
    void stop();

private:
    struct Context;
    static DWORD WINAPI run(void* context);

    Context* context_ = nullptr;
    HANDLE thread_ = nullptr;
    DWORD thread_id_ = 0;
};

} // namespace keyhost
