// The speakers line through the winmm mixer API (Windows before Vista).
#include "buttons/volume/volume_backends.h"
#include "platform/audio_seam.h"

namespace vx::mixer {
namespace {

// Every query passes the remembered handle with the object-type flag of a
// mixer device identifier; winmm accepts an open handle there as well, and a
// null handle (no speakers line found) then addresses device 0.
constexpr DWORD kObjectFlag = MIXER_OBJECTF_MIXER;

class LegacyMixer final : public SpeakerLine {
public:
    LegacyMixer(HMIXER handle, DWORD channels, DWORD mute_id, DWORD volume_id)
        : handle_(handle), channels_(channels), mute_id_(mute_id), volume_id_(volume_id)
    {
    }

    // Closed when Mixer_Init opens the line again: a second open handle would
    // send the host every change message twice.
    ~LegacyMixer() override
    {
        if (handle_)
            platform::audio().mixerClose(handle_);
    }

    MMRESULT read_levels(ChannelLevels& levels) override
    {
        levels = {};
        levels.count = channels_in_buffer();
        auto details = value_details(volume_id_, levels.count, levels.value);
        return platform::audio().mixerGetControlDetailsA(object(), &details, kObjectFlag | MIXER_GETCONTROLDETAILSF_VALUE);
    }

    MMRESULT write_levels(const ChannelLevels& levels) override
    {
        ChannelLevels copy = levels;
        auto details = value_details(volume_id_, channels_in_buffer(), copy.value);
        return platform::audio().mixerSetControlDetails(object(), &details, kObjectFlag | MIXER_SETCONTROLDETAILSF_VALUE);
    }

    MMRESULT read_mute(std::uint32_t& value) override
    {
        std::uint32_t buffer[volume::kMaxChannels] = {};
        auto details = value_details(mute_id_, 1, buffer);
        const MMRESULT result =
            platform::audio().mixerGetControlDetailsA(object(), &details, kObjectFlag | MIXER_GETCONTROLDETAILSF_VALUE);
        value = buffer[0];
        return result;
    }

    MMRESULT write_mute(std::uint32_t value) override
    {
        std::uint32_t buffer[volume::kMaxChannels] = {value};
        auto details = value_details(mute_id_, 1, buffer);
        return platform::audio().mixerSetControlDetails(object(), &details, kObjectFlag | MIXER_SETCONTROLDETAILSF_VALUE);
    }

private:
    // The value buffer holds 12 channels. A line with more is addressed as a
    // uniform control (one value for every channel) instead of letting the
    // mixer write past the buffer.
    std::uint32_t channels_in_buffer() const
    {
        return channels_ > volume::kMaxChannels ? 1u : static_cast<std::uint32_t>(channels_);
    }

    HMIXEROBJ object() const { return reinterpret_cast<HMIXEROBJ>(handle_); }

    static MIXERCONTROLDETAILS value_details(DWORD control, DWORD channels, std::uint32_t* values)
    {
        MIXERCONTROLDETAILS details{};
        details.cbStruct = sizeof details;
        details.dwControlID = control;
        details.cChannels = channels;
        details.cMultipleItems = 0;
        details.cbDetails = sizeof(MIXERCONTROLDETAILS_UNSIGNED);
        details.paDetails = values;
        return details;
    }

    HMIXER handle_;
    DWORD channels_;
    DWORD mute_id_;
    DWORD volume_id_;
};

MMRESULT query_control(HMIXER handle, DWORD line_id, DWORD type, DWORD& id)
{
    MIXERCONTROLA control{};
    control.cbStruct = sizeof control;
    MIXERLINECONTROLSA controls{};
    controls.cbStruct = sizeof controls;
    controls.dwLineID = line_id;
    controls.dwControlType = type;
    controls.cControls = 1;
    controls.cbmxctrl = sizeof control;
    controls.pamxctrl = &control;
    const MMRESULT result = platform::audio().mixerGetLineControlsA(reinterpret_cast<HMIXEROBJ>(handle), &controls,
                                                                    kObjectFlag | MIXER_GETLINECONTROLSF_ONEBYTYPE);
    id = control.dwControlID;
    return result;
}

} // namespace

OpenedLine open_legacy_mixer(HWND notify)
{
    auto& mm = platform::audio();
    const UINT devices = mm.mixerGetNumDevs();
    if (devices == 0)
        return {};

    for (UINT id = 0; id < devices; ++id) {
        HMIXER handle = nullptr;
        const MMRESULT opened =
            mm.mixerOpen(&handle, id, reinterpret_cast<DWORD_PTR>(notify), 0, CALLBACK_WINDOW);
        MIXERLINEA line{};
        line.cbStruct = sizeof line;
        line.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
        if (mm.mixerGetLineInfoA(reinterpret_cast<HMIXEROBJ>(handle), &line,
                                 kObjectFlag | MIXER_GETLINEINFOF_COMPONENTTYPE) == MMSYSERR_NOERROR) {
            DWORD mute_id = 0;
            DWORD volume_id = 0;
            query_control(handle, line.dwLineID, MIXERCONTROL_CONTROLTYPE_MUTE, mute_id);
            const MMRESULT result = query_control(handle, line.dwLineID, MIXERCONTROL_CONTROLTYPE_VOLUME, volume_id);
            return {std::make_unique<LegacyMixer>(handle, line.cChannels, mute_id, volume_id), true, result};
        }
        // A device without a speakers line is of no further use: close it
        // rather than keep it open for the life of the process.
        if (opened == MMSYSERR_NOERROR && handle)
            mm.mixerClose(handle);
    }
    // No speakers line anywhere: the mixer stays available and later calls
    // pass a null handle and control ids 0 to the mixer interface.
    return {std::make_unique<LegacyMixer>(nullptr, 0, 0, 0), true, MMSYSERR_NOERROR};
}

} // namespace vx::mixer
