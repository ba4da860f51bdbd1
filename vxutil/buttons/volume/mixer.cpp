// The Mixer_* exports: volume steps, mean level, mute, and the key-held
// repeat driven by a 150 ms thread timer on the caller's thread.
#include "buttons/volume/mixer.h"

#include "buttons/volume/volume_backends.h"
#include "core/volume_math.h"
#include "core/volume_repeat.h"
#include "platform/system_seam.h"
#include "vxutil.h"

namespace vx::mixer {
namespace {

struct MixerState {
    bool available = false;
    Backend backend = Backend::None;
    std::unique_ptr<SpeakerLine> line;
    UINT_PTR repeat_timer = 0;
    volume::VolumeRepeat repeat;
};

MixerState& state()
{
    static MixerState s;
    return s;
}

MMRESULT step_volume(unsigned step, bool up)
{
    auto& s = state();
    if (!s.available)
        return MMSYSERR_NOERROR;
    ChannelLevels levels;
    s.line->read_levels(levels);
    const std::uint32_t amount = volume::effective_step(step);
    for (std::uint32_t i = 0; i < levels.count; ++i)
        levels.value[i] = up ? volume::step_up(levels.value[i], amount) : volume::step_down(levels.value[i], amount);
    return s.line->write_levels(levels);
}

void CALLBACK on_repeat_tick(HWND, UINT, UINT_PTR, DWORD)
{
    switch (state().repeat.tick()) {
    case volume::VolumeRepeat::Tick::StepUp:
        step_volume(volume::kDefaultStep, true);
        break;
    case volume::VolumeRepeat::Tick::StepDown:
        step_volume(volume::kDefaultStep, false);
        break;
    case volume::VolumeRepeat::Tick::Wait:
        break;
    }
}

void start_repeat(std::uint32_t key)
{
    auto& s = state();
    if (s.repeat.start(key) || !s.repeat_timer)
        s.repeat_timer = SetTimer(nullptr, 0, volume::kRepeatIntervalMs, on_repeat_tick);
}

void stop_repeat()
{
    auto& s = state();
    if (s.repeat_timer)
        KillTimer(nullptr, s.repeat_timer);
    s.repeat_timer = 0;
    s.repeat.stop();
}

int start_key(std::uint32_t key, bool up)
{
    Mixer_SetMuteState(0);
    step_volume(volume::kDefaultStep, up);
    start_repeat(key);
    return 1;
}

} // namespace

Backend backend_for_version(DWORD platform, DWORD major)
{
    return (platform == VER_PLATFORM_WIN32_NT && major >= 6) ? Backend::EndpointVolume : Backend::LegacyMixer;
}

Backend active_backend() { return state().backend; }

void reset_for_tests()
{
    stop_repeat();
    auto& s = state();
    s.line.reset();
    s.available = false;
    s.backend = Backend::None;
}

} // namespace vx::mixer

using namespace vx;
using namespace vx::mixer;

extern "C" int WINAPI Mixer_Init(HWND window)
{
    auto& s = state();
    const auto version = platform::windows_version();
    const Backend backend = backend_for_version(version.platform, version.major);
    s.line.reset();
    Backend used = backend;
    OpenedLine opened;
    if (backend == Backend::EndpointVolume)
        opened = open_endpoint_volume(window);
    if (!opened.available) {
        used = Backend::LegacyMixer;
        opened = open_legacy_mixer(window);
    }
    s.available = opened.available;
    s.line = std::move(opened.line);
    s.backend = s.line ? used : Backend::None;
    return static_cast<int>(opened.result);
}

extern "C" int WINAPI Mixer_VolumeUp(unsigned step) { return static_cast<int>(step_volume(step, true)); }

extern "C" int WINAPI Mixer_VolumeDown(unsigned step) { return static_cast<int>(step_volume(step, false)); }

extern "C" int WINAPI Mixer_GetVolume(int* volume)
{
    auto& s = state();
    if (!s.available)
        return 0;
    ChannelLevels levels;
    const MMRESULT result = s.line->read_levels(levels);
    if (volume)
        *volume = static_cast<int>(volume::running_mean({levels.value, levels.count}));
    return static_cast<int>(result);
}

extern "C" int WINAPI Mixer_ToggleMute()
{
    auto& s = state();
    if (!s.available)
        return 0;
    std::uint32_t value = 0;
    s.line->read_mute(value);
    return static_cast<int>(s.line->write_mute(volume::toggled_mute(value)));
}

extern "C" int WINAPI Mixer_GetMuteState()
{
    auto& s = state();
    if (!s.available)
        return 0;
    std::uint32_t value = 0;
    if (s.line->read_mute(value) != MMSYSERR_NOERROR)
        return 0;
    return static_cast<int>(value);
}

extern "C" int WINAPI Mixer_SetMuteState(int muted)
{
    auto& s = state();
    if (!s.available)
        return 0;
    std::uint32_t ignored = 0;
    s.line->read_mute(ignored);
    s.line->write_mute(static_cast<std::uint32_t>(muted));
    return 0;
}

extern "C" int WINAPI Mixer_StartVolumeIncrease() { return start_key(volume::kVolumeUpKey, true); }

extern "C" int WINAPI Mixer_StartVolumeDecrease() { return start_key(volume::kVolumeDownKey, false); }

extern "C" int WINAPI Mixer_StopVolumeIncrease()
{
    stop_repeat();
    return 1;
}

extern "C" int WINAPI Mixer_StopVolumeDecrease()
{
    stop_repeat();
    return 1;
}
