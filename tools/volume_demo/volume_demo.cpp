// Presses the volume keys through VXUtil.dll's exports, the way a hot-key
// manager does, and prints the level and mute state after each step. Runs a
// real message loop so that the 150 ms key-held repeat timer fires.
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>

#include "vxutil.h"

namespace {

int g_control_changes = 0;

LRESULT CALLBACK demo_window(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == MM_MIXM_CONTROL_CHANGE)
        ++g_control_changes;
    return DefWindowProcA(window, message, wparam, lparam);
}

void pump_for(DWORD ms)
{
    const DWORD end = GetTickCount() + ms;
    MSG msg;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void report(const char* step)
{
    int level = 0;
    const int read = Mixer_GetVolume(&level);
    std::printf("%-34s level %5d (0x%04X, %3d%%)  muted %d  read %d\n", step, level, level, level * 100 / 0xFFFF,
                Mixer_GetMuteState() ? 1 : 0, read);
    std::fflush(stdout);
}

} // namespace

int main()
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = demo_window;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VolumeDemoWindow";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);

    OSVERSIONINFOA v{};
    v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExA(&v);
    std::printf("Windows %lu.%lu: speakers line through %s\n", v.dwMajorVersion, v.dwMinorVersion,
                v.dwMajorVersion >= 6 ? "the default render endpoint (Core Audio), or the winmm mixer when the "
                                        "endpoint cannot report its channels"
                                      : "the winmm mixer");
    std::printf("Mixer_Init -> %d\n", Mixer_Init(window));
    report("start");

    Mixer_SetMuteState(0);
    Mixer_VolumeDown(0x4000);
    report("Volume Down by 0x4000");

    std::printf("-- Volume Up held for 1 s\n");
    Mixer_StartVolumeIncrease();
    report("  pressed (one step at once)");
    for (int i = 0; i < 7; ++i) {
        pump_for(150);
        report("  held");
    }
    Mixer_StopVolumeIncrease();
    report("  released");
    pump_for(400);
    report("  400 ms later (no more steps)");

    std::printf("-- Volume Down pressed and released\n");
    Mixer_StartVolumeDecrease();
    Mixer_StopVolumeDecrease();
    report("  after Volume Down");

    std::printf("-- Mute\n");
    Mixer_ToggleMute();
    report("  Mute pressed");
    Mixer_ToggleMute();
    report("  Mute pressed again");

    pump_for(100);
    std::printf("control-change messages received by the host window: %d\n", g_control_changes);
    DestroyWindow(window);
    return 0;
}
