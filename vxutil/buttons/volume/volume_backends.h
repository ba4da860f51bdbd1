// The "speakers line" that the volume and mute keys act on, as one interface
// with a backend per audio API: the winmm mixer (Windows before Vista) and
// the default render endpoint's master volume through Core Audio (Vista and
// later, where the winmm mixer only reaches the calling process's own audio
// session, which for a hot-key manager is silent). Chosen by Mixer_Init; on
// Vista and later the mixer serves only while no usable endpoint exists, and
// the endpoint follows the default render device.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <memory>

#include "core/volume_math.h"

namespace vx::mixer {

// Per-channel levels; `count` says how many entries are valid (at most
// kMaxChannels: a line with more channels is handled as one uniform channel).
struct ChannelLevels {
    std::uint32_t value[volume::kMaxChannels] = {};
    std::uint32_t count = 0;
};

class SpeakerLine {
public:
    virtual ~SpeakerLine() = default;
    virtual MMRESULT read_levels(ChannelLevels& levels) = 0;
    virtual MMRESULT write_levels(const ChannelLevels& levels) = 0;
    virtual MMRESULT read_mute(std::uint32_t& value) = 0;
    virtual MMRESULT write_mute(std::uint32_t value) = 0;
};

// The default render endpoint as Windows has it at any moment. One device
// enumerator and one notification client are held for the line's life; a
// notification (default device changed, a device's state changed, a device
// added or removed) arrives on an audio thread and only marks the held
// endpoint stale. The next call on the host's thread reopens it; a call that
// finds the endpoint invalidated (replugged, driver or audio service
// restarted) reopens once and tries again. While nothing changes, a call
// creates no COM object.
class EndpointLine : public SpeakerLine {
public:
    // True when a usable default endpoint is held now; reopens it first when
    // a notification marked it stale. False while no device is the default or
    // the default cannot report its channels (a stub driver).
    virtual bool usable() = 0;
};

// What opening a backend found: `available` is the "mixer available" flag of
// the exports; `result` is what Mixer_Init returns.
struct OpenedLine {
    std::unique_ptr<SpeakerLine> line;
    bool available = false;
    MMRESULT result = MMSYSERR_NOERROR;
};

// `notify` receives MM_MIXM_LINE_CHANGE / MM_MIXM_CONTROL_CHANGE messages.
OpenedLine open_legacy_mixer(HWND notify);
// Null when Core Audio is missing or the apartment cannot be kept alive.
// The line keeps the multithreaded apartment alive without touching the
// calling thread's own COM state.
std::unique_ptr<EndpointLine> follow_default_endpoint(HWND notify);

// Control ids that endpoint notifications carry in lParam of
// MM_MIXM_CONTROL_CHANGE (wParam is 0: there is no mixer handle).
inline constexpr LPARAM kEndpointMuteControlId = 1;
inline constexpr LPARAM kEndpointVolumeControlId = 2;

} // namespace vx::mixer
