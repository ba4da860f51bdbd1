#include "actions/microphone.h"

#include "platform/capture_seam.h"

namespace keyhost {
namespace {

using platform::CaptureMute;

// The first way that answers, endpoint before mixer; `mute` is set to it.
MicState read(const CaptureMute*& mute)
{
    const auto& seam = platform::capture();
    const struct {
        const CaptureMute* mute;
        const char* name;
    } ways[] = {{&seam.endpoint, "capture endpoint"}, {&seam.mixer, "mixer"}};
    MicState state;
    for (const auto& way : ways) {
        char why[128] = {};
        const int muted = way.mute->get(why, sizeof why);
        if (muted >= 0) {
            mute = way.mute;
            state.present = true;
            state.muted = muted == 1;
            state.way = way.name;
            state.why.clear();
            return state;
        }
        state.why += state.why.empty() ? "" : "; ";
        state.why += why;
    }
    mute = nullptr;
    return state;
}

} // namespace

MicState microphone_state()
{
    const CaptureMute* mute = nullptr;
    return read(mute);
}

MicState toggle_microphone()
{
    const CaptureMute* mute = nullptr;
    MicState before = read(mute);
    if (!before.present)
        return before;
    if (!mute->set(!before.muted)) {
        before.why = "the device refused the change";
        return before; // unchanged: what the device still says
    }
    char why[128] = {};
    const int after = mute->get(why, sizeof why);
    if (after < 0) {
        before.present = false;
        before.why = why;
        return before;
    }
    if ((after == 1) == before.muted)
        before.why = "the device kept its mute"; // took the call, changed nothing
    before.muted = after == 1;
    return before;
}

} // namespace keyhost
