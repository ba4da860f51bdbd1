// The Mixer_* exports: volume steps, mean level, mute, and the key-held
// repeat driven by a 150 ms timer of a message-only window that this module
// owns on the caller's thread.
#include "buttons/volume/mixer.h"

#include "buttons/volume/volume_backends.h"
#include "core/volume_math.h"
#include "core/volume_repeat.h"
#include "export_guard.h"
#include "platform/system_seam.h"
#include "vxutil.h"

namespace vx::mixer {
namespace {

constexpr UINT_PTR kRepeatTimerId = 1;

struct MixerState {
    bool available = false;
    // Vista and later: the default render endpoint, followed.
    std::unique_ptr<EndpointLine> endpoint;
    // The winmm line: before Vista, or on Vista and later while no usable
    // endpoint existed at Mixer_Init (it serves while none is usable).
    std::unique_ptr<SpeakerLine> mixer;
    // The repeat timer's window: a system STATIC window, message-only, whose
    // procedure is ours only while this module may be called.
    HWND repeat_window = nullptr;
    WNDPROC system_proc = nullptr;
    bool timer_running = false;
    volume::VolumeRepeat repeat;
};

// Never destroyed: releasing the line at process exit would call into the
// audio system under the loader lock.
MixerState& state()
{
    static MixerState& s = *new MixerState;
    return s;
}

// The line the keys act on now: the followed endpoint while it is usable,
// else the mixer line; none before Mixer_Init and while no device exists.
SpeakerLine* line()
{
    auto& s = state();
    if (!s.available)
        return nullptr;
    if (s.endpoint && s.endpoint->usable())
        return s.endpoint.get();
    return s.mixer.get();
}

std::uint32_t now_ms() { return platform::os().GetTickCount(); }

// One step of every channel; a repeat that is given learns the levels the
// step left, so that it ends at the end of the range.
MMRESULT step_volume(unsigned step, bool up, volume::VolumeRepeat* repeat = nullptr)
{
    SpeakerLine* l = line();
    if (!l)
        return MMSYSERR_NOERROR;
    ChannelLevels levels;
    const MMRESULT read = l->read_levels(levels);
    const std::uint32_t amount = volume::effective_step(step);
    for (std::uint32_t i = 0; i < levels.count; ++i)
        levels.value[i] = up ? volume::step_up(levels.value[i], amount) : volume::step_down(levels.value[i], amount);
    const MMRESULT written = l->write_levels(levels);
    if (repeat && read == MMSYSERR_NOERROR && written == MMSYSERR_NOERROR)
        repeat->stepped({levels.value, levels.count});
    return written;
}

MMRESULT toggle_mute()
{
    SpeakerLine* l = line();
    if (!l)
        return MMSYSERR_NOERROR;
    std::uint32_t value = 0;
    l->read_mute(value);
    return l->write_mute(volume::toggled_mute(value));
}

void stop_repeat()
{
    auto& s = state();
    if (s.timer_running)
        KillTimer(s.repeat_window, kRepeatTimerId);
    s.timer_running = false;
    s.repeat.stop();
}

void on_repeat_tick()
{
    auto& s = state();
    // The device went away while the key was held: the repeat ends here
    // rather than tick on against nothing.
    if (s.available && !line()) {
        stop_repeat();
        return;
    }
    switch (s.repeat.tick(now_ms())) {
    case volume::VolumeRepeat::Tick::StepUp:
        step_volume(volume::kDefaultStep, true, &s.repeat);
        break;
    case volume::VolumeRepeat::Tick::StepDown:
        step_volume(volume::kDefaultStep, false, &s.repeat);
        break;
    case volume::VolumeRepeat::Tick::Wait:
    case volume::VolumeRepeat::Tick::End:
        break;
    }
    if (!s.repeat.running())
        stop_repeat();
}

LRESULT CALLBACK repeat_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_TIMER && wparam == kRepeatTimerId) {
        guarded(0, [] {
            on_repeat_tick();
            return 0;
        });
        return 0;
    }
    return CallWindowProcA(state().system_proc, window, message, wparam, lparam);
}

// Gives up the repeat window. The thread that created it destroys it (its
// timer goes with it); from any other thread the window gets the system's
// procedure back, so that nothing can reach this module any more, and a
// close message destroys it when its own thread next dispatches messages.
void release_repeat_window()
{
    auto& s = state();
    const HWND window = s.repeat_window;
    s.repeat_window = nullptr;
    s.timer_running = false;
    if (!window)
        return;
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
        DestroyWindow(window);
        return;
    }
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s.system_proc));
    PostMessageA(window, WM_CLOSE, 0, 0);
}

// The repeat's window on the calling thread, which runs the host's message
// loop; made once (again when the host moves to another thread).
HWND repeat_window()
{
    auto& s = state();
    if (s.repeat_window && GetWindowThreadProcessId(s.repeat_window, nullptr) != GetCurrentThreadId())
        release_repeat_window();
    if (!s.repeat_window) {
        const HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        if (!window)
            return nullptr;
        s.system_proc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(repeat_window_proc)));
        s.repeat_window = window;
    }
    return s.repeat_window;
}

int start_key(std::uint32_t key, bool up)
{
    return guarded(0, [&] {
        auto& s = state();
        Mixer_SetMuteState(0);
        const bool fresh = s.repeat.start(key, now_ms());
        step_volume(volume::kDefaultStep, up, &s.repeat);
        if (!s.repeat.running()) {
            stop_repeat(); // the press itself reached the end of the range
        } else if (fresh || !s.timer_running) {
            const HWND window = repeat_window();
            s.timer_running = window && SetTimer(window, kRepeatTimerId, volume::kRepeatIntervalMs, nullptr);
        }
        return 1;
    });
}

// Mixer_Close: back to the state before the first Mixer_Init.
void close_mixer()
{
    stop_repeat();
    release_repeat_window();
    auto& s = state();
    s.available = false;
    s.endpoint.reset();
    s.mixer.reset();
}

} // namespace

Backend backend_for_version(DWORD platform, DWORD major)
{
    return (platform == VER_PLATFORM_WIN32_NT && major >= 6) ? Backend::EndpointVolume : Backend::LegacyMixer;
}

Backend active_backend()
{
    auto& s = state();
    if (!s.available)
        return Backend::None;
    if (s.endpoint && s.endpoint->usable())
        return Backend::EndpointVolume;
    return s.mixer ? Backend::LegacyMixer : Backend::None;
}

int WINAPI toggle_mute_key()
{
    // A successful write is not proof: an endpoint answers S_FALSE, a success,
    // when it already had the state written, and a state that could not be
    // read cannot be inverted. So the key counts as handled only when the
    // state read back is the inverse of the one read before.
    return guarded(0, [] {
        SpeakerLine* l = line();
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

void release_repeat_on_unload() { release_repeat_window(); }

void reset_for_tests() { close_mixer(); }

} // namespace vx::mixer

using namespace vx;
using namespace vx::mixer;

extern "C" int WINAPI Mixer_Init(HWND window)
{
    return guarded(static_cast<int>(MMSYSERR_NOMEM), [&] {
        auto& s = state();
        const auto version = platform::windows_version();
        // The lines opened before are closed first, so the host's window gets
        // each change message once.
        s.available = false;
        s.endpoint.reset();
        s.mixer.reset();
        if (backend_for_version(version.platform, version.major) == Backend::EndpointVolume)
            s.endpoint = follow_default_endpoint(window);
        MMRESULT result = MMSYSERR_NOERROR;
        if (!s.endpoint || !s.endpoint->usable()) {
            OpenedLine opened = open_legacy_mixer(window);
            s.mixer = std::move(opened.line);
            result = opened.result;
        }
        s.available = s.endpoint || s.mixer;
        return static_cast<int>(result);
    });
}

extern "C" int WINAPI Mixer_Close()
{
    return guarded(0, [] {
        close_mixer();
        return 1;
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
        SpeakerLine* l = line();
        if (!l)
            return 0;
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
                   [] { return static_cast<int>(toggle_mute()); });
}

extern "C" int WINAPI Mixer_GetMuteState()
{
    return guarded(0, [] {
        SpeakerLine* l = line();
        std::uint32_t value = 0;
        if (!l || l->read_mute(value) != MMSYSERR_NOERROR)
            return 0;
        return static_cast<int>(value);
    });
}

extern "C" int WINAPI Mixer_SetMuteState(int muted)
{
    return guarded(0, [&] {
        if (SpeakerLine* l = line()) {
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
