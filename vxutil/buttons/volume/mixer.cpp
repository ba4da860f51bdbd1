// The Mixer_* exports: volume steps, mean level, mute, and the key-held
// repeat driven by a 150 ms thread timer on the caller's thread.
#include "buttons/volume/mixer.h"

#include "buttons/volume/volume_backends.h"
#include "core/volume_math.h"
#include "core/volume_repeat.h"
#include "export_guard.h"
#include "platform/system_seam.h"
#include "vxutil.h"

namespace vx::mixer {
namespace {

struct MixerState {
    bool available = false;
    Backend backend = Backend::None;
    HWND notify = nullptr;
    std::unique_ptr<SpeakerLine> line;
    UINT_PTR repeat_timer = 0;
    volume::VolumeRepeat repeat;
};

// Never destroyed: releasing the line at process exit would call into the
// audio system under the loader lock.
MixerState& state()
{
    static MixerState& s = *new MixerState;
    return s;
}

// The line the keys act on now. The endpoint backend follows the default
// render device: a line that is no longer current is replaced by the new
// default's, and there is none while no device is the default.
SpeakerLine* line()
{
    auto& s = state();
    if (s.line && !s.line->current())
        s.line.reset();
    if (!s.line && s.backend == Backend::EndpointVolume)
        s.line = open_endpoint_volume(s.notify).line;
    return s.line.get();
}

MMRESULT step_volume(unsigned step, bool up)
{
    if (!state().available)
        return MMSYSERR_NOERROR;
    SpeakerLine* l = line();
    if (!l)
        return MMSYSERR_NODRIVER;
    ChannelLevels levels;
    l->read_levels(levels);
    const std::uint32_t amount = volume::effective_step(step);
    for (std::uint32_t i = 0; i < levels.count; ++i)
        levels.value[i] = up ? volume::step_up(levels.value[i], amount) : volume::step_down(levels.value[i], amount);
    return l->write_levels(levels);
}

MMRESULT toggle_mute()
{
    SpeakerLine* l = line();
    if (!l)
        return MMSYSERR_NODRIVER;
    std::uint32_t value = 0;
    l->read_mute(value);
    return l->write_mute(volume::toggled_mute(value));
}

void stop_repeat()
{
    auto& s = state();
    if (s.repeat_timer)
        KillTimer(nullptr, s.repeat_timer);
    s.repeat_timer = 0;
    s.repeat.stop();
}

void CALLBACK on_repeat_tick(HWND, UINT, UINT_PTR, DWORD)
{
    guarded(0, [] {
        // The device went away while the key was held: the repeat ends here
        // rather than tick on against nothing.
        if (state().available && !line()) {
            stop_repeat();
            return 0;
        }
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
        return 0;
    });
}

void start_repeat(std::uint32_t key)
{
    auto& s = state();
    if (s.repeat.start(key) || !s.repeat_timer)
        s.repeat_timer = SetTimer(nullptr, 0, volume::kRepeatIntervalMs, on_repeat_tick);
}

int start_key(std::uint32_t key, bool up)
{
    return guarded(0, [&] {
        Mixer_SetMuteState(0);
        step_volume(volume::kDefaultStep, up);
        start_repeat(key);
        return 1;
    });
}

} // namespace

Backend backend_for_version(DWORD platform, DWORD major)
{
    return (platform == VER_PLATFORM_WIN32_NT && major >= 6) ? Backend::EndpointVolume : Backend::LegacyMixer;
}

Backend active_backend() { return state().backend; }

int WINAPI toggle_mute_key()
{
    // A successful write is not proof: an endpoint answers S_FALSE, a success,
    // when it already had the state written, and a state that could not be
    // read cannot be inverted. So the key counts as handled only when the
    // state read back is the inverse of the one read before.
    return guarded(0, [] {
        SpeakerLine* l = state().available ? line() : nullptr;
        std::uint32_t before = 0;
        if (!l || l->read_mute(before) != MMSYSERR_NOERROR)
            return 0;
        const std::uint32_t wanted = volume::toggled_mute(before);
        std::uint32_t after = 0;
        if (l->write_mute(wanted) != MMSYSERR_NOERROR || l->read_mute(after) != MMSYSERR_NOERROR)
            return 0;
        return (after != 0) == (wanted != 0) ? 1 : 0;
    });
}

void stop_repeat_on_unload()
{
    auto& s = state();
    if (s.repeat_timer)
        KillTimer(nullptr, s.repeat_timer);
    s.repeat_timer = 0;
}

void reset_for_tests()
{
    stop_repeat();
    auto& s = state();
    s.line.reset();
    s.available = false;
    s.backend = Backend::None;
    s.notify = nullptr;
}

} // namespace vx::mixer

using namespace vx;
using namespace vx::mixer;

extern "C" int WINAPI Mixer_Init(HWND window)
{
    return guarded(static_cast<int>(MMSYSERR_NOMEM), [&] {
        auto& s = state();
        const auto version = platform::windows_version();
        const Backend backend = backend_for_version(version.platform, version.major);
        // The line opened before is closed first, so the host's window gets
        // each change message once.
        s.line.reset();
        s.notify = window;
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
    });
}

extern "C" int WINAPI Mixer_VolumeUp(unsigned step)
{
    return guarded(static_cast<int>(MMSYSERR_NOMEM), [&] { return static_cast<int>(step_volume(step, true)); });
}

extern "C" int WINAPI Mixer_VolumeDown(unsigned step)
{
    return guarded(static_cast<int>(MMSYSERR_NOMEM), [&] { return static_cast<int>(step_volume(step, false)); });
}

extern "C" int WINAPI Mixer_GetVolume(int* volume)
{
    return guarded(static_cast<int>(MMSYSERR_NOMEM), [&] {
        if (!state().available)
            return 0;
        SpeakerLine* l = line();
        if (!l)
            return static_cast<int>(MMSYSERR_NODRIVER);
        ChannelLevels levels;
        const MMRESULT result = l->read_levels(levels);
        if (volume)
            *volume = static_cast<int>(volume::running_mean({levels.value, levels.count}));
        return static_cast<int>(result);
    });
}

extern "C" int WINAPI Mixer_ToggleMute()
{
    return guarded(static_cast<int>(MMSYSERR_NOMEM),
                   [] { return state().available ? static_cast<int>(toggle_mute()) : 0; });
}

extern "C" int WINAPI Mixer_GetMuteState()
{
    return guarded(0, [] {
        SpeakerLine* l = state().available ? line() : nullptr;
        std::uint32_t value = 0;
        if (!l || l->read_mute(value) != MMSYSERR_NOERROR)
            return 0;
        return static_cast<int>(value);
    });
}

extern "C" int WINAPI Mixer_SetMuteState(int muted)
{
    return guarded(0, [&] {
        if (SpeakerLine* l = state().available ? line() : nullptr) {
            std::uint32_t ignored = 0;
            l->read_mute(ignored);
            l->write_mute(static_cast<std::uint32_t>(muted));
        }
        return 0;
    });
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
