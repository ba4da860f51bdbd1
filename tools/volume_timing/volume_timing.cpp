// Per-press and per-tick cost of the volume keys on Vista and later, through
// the fake endpoint, against the device check the library used to run on
// every call: each key press and each repeat tick asked Core Audio for the
// default device twice (CoInitializeEx, a new device enumerator,
// GetDefaultAudioEndpoint, GetId, CoUninitialize) to see whether the held
// endpoint was still the default. That check runs here with Windows' (Wine's)
// own enumerator; the endpoint's volume calls are the fake's in both.
// Prints microseconds and the ratio; with --min-ratio R exits 1 when the
// cost before is less than R times the cost now.
//   scripts/wine-run --prefix <build>/wineprefix -- <build>/bin/volume_timing.exe
#include <windows.h>
#include <mmdeviceapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "buttons/volume/mixer.h"
#include "vxutil.h"
#include "vxutil/fake_audio.h"

namespace {

// Fewer presses and checks than ticks: each costs a timer or a Core Audio
// round trip of a hundred microseconds or more under Wine.
constexpr int kTicks = 20000;
constexpr int kPresses = 2000;
constexpr int kChecks = 500;

double seconds()
{
    LARGE_INTEGER frequency, count;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <class Fn>
double microseconds_per_call(int calls, Fn fn)
{
    for (int i = 0; i < calls / 10; ++i)
        fn(i);
    const double start = seconds();
    for (int i = 0; i < calls; ++i)
        fn(i);
    return (seconds() - start) / calls * 1e6;
}

// The device check of the earlier version, as it ran on the host's thread.
void earlier_device_check(IMMDeviceEnumerator* (*create)())
{
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (IMMDeviceEnumerator* enumerator = create()) {
        IMMDevice* device = nullptr;
        if (SUCCEEDED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &device)) && device) {
            LPWSTR id = nullptr;
            if (SUCCEEDED(device->GetId(&id)))
                CoTaskMemFree(id);
            device->Release();
        }
        enumerator->Release();
    }
    if (SUCCEEDED(com))
        CoUninitialize();
}

// The repeat's window on this thread: a message-only window whose procedure
// is the library's.
HWND repeat_window()
{
    HWND found = nullptr;
    for (HWND w = nullptr; (w = FindWindowExA(HWND_MESSAGE, w, nullptr, nullptr)) != nullptr;)
        if (GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId())
            found = w;
    return found;
}

} // namespace

int main(int argc, char** argv)
{
    double min_ratio = 0;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--min-ratio") == 0)
            min_ratio = std::atof(argv[i + 1]);

    const auto real_enumerator = vx::platform::audio().create_device_enumerator;
    vxtest::FakeAudio audio{6, 1};
    audio.endpoint = std::make_unique<vxtest::FakeEndpoint>();
    if (Mixer_Init(nullptr) != 0 || vx::mixer::active_backend() != vx::mixer::Backend::EndpointVolume) {
        std::printf("the fake endpoint is not in use\n");
        return 1;
    }

    // A press with its release, Up and Down in turn so the level stays
    // inside the range.
    const double press = microseconds_per_call(kPresses, [](int i) {
        if (i & 1) {
            Mixer_StartVolumeDecrease();
            Mixer_StopVolumeDecrease();
        } else {
            Mixer_StartVolumeIncrease();
            Mixer_StopVolumeIncrease();
        }
    });

    // A tick of a held key, delivered as the timer delivers it; the level is
    // set back so that the repeat never reaches the end of the range.
    Mixer_StartVolumeIncrease();
    const HWND window = repeat_window();
    if (!window) {
        std::printf("the repeat's window is not found\n");
        return 1;
    }
    const double tick = microseconds_per_call(kTicks, [&](int i) {
        audio.endpoint->channels = {0.5f, 0.5f};
        if (i % 1000 == 0)
            Mixer_StartVolumeIncrease(); // a key call now and then keeps the repeat within its limit
        SendMessageA(window, WM_TIMER, 1, 0);
    });
    Mixer_StopVolumeIncrease();
    const int lookups = audio.enumerator.default_lookups;
    const int enumerators = audio.enumerator.created;
    // Measured while the line keeps the multithreaded apartment alive, as
    // the earlier version's line did, so that CoUninitialize does not tear
    // the apartment down each time.
    const double check = microseconds_per_call(kChecks, [&](int) { earlier_device_check(real_enumerator); });
    Mixer_Close();
    const double press_before = press + 2 * check;
    const double tick_before = tick + 2 * check;
    std::printf("press (Start + Stop), now:          %9.2f us\n", press);
    std::printf("press, before (+ 2 device checks):  %9.2f us  ratio %.1f\n", press_before, press_before / press);
    std::printf("repeat tick, now:                   %9.2f us\n", tick);
    std::printf("repeat tick, before:                %9.2f us  ratio %.1f\n", tick_before, tick_before / tick);
    std::printf("device check of before:             %9.2f us\n", check);
    std::printf("enumerators created: %d, default-device look-ups: %d, over %d presses and %d ticks\n", enumerators,
                lookups, kPresses * 11 / 10, kTicks * 11 / 10);
    if (enumerators != 1 || lookups != 1) {
        std::printf("FAIL: Core Audio was asked again while nothing changed\n");
        return 1;
    }
    if (press_before / press < min_ratio || tick_before / tick < min_ratio) {
        std::printf("FAIL: ratio below %.1f\n", min_ratio);
        return 1;
    }
    return 0;
}
