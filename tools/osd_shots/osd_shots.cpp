// Shows each display of VXOSD.dll the way a hot-key manager does and saves a
// screenshot of the screen after each as a BMP file: the Caps Lock
// indicator, a string, the mute display, and the volume displays after real
// volume key presses (through CallHIDButtonFunction when VXUtil has it,
// otherwise the Mixer_* exports). Runs a message loop throughout, so the
// key-held repeat and the hide timers run for real.
//
//   osd_shots.exe OUTDIR
#include <windows.h>

#include <cstdio>
#include <string>

#include "vxosd.h"
#include "vxutil.h"

namespace {

std::string g_out;

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

// Saves the whole screen as a 24-bit BMP.
bool save_screen(const char* name)
{
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = cx;
    info.bmiHeader.biHeight = cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, cx, cy, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD stride = ((static_cast<DWORD>(cx) * 3 + 3) / 4) * 4;
    const DWORD image = stride * static_cast<DWORD>(cy);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + image;
    const std::string path = g_out + "\\" + name + ".bmp";
    FILE* f = std::fopen(path.c_str(), "wb");
    bool ok = false;
    if (f) {
        ok = std::fwrite(&file, sizeof file, 1, f) == 1 && std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, f) == 1 &&
             std::fwrite(bits, 1, image, f) == image;
        std::fclose(f);
    }
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    std::printf("%-28s %s\n", name, ok ? path.c_str() : "could not be saved");
    std::fflush(stdout);
    return ok;
}

using HidCall = int(WINAPI*)(unsigned, int, int*);

HidCall hid_dispatch()
{
    HMODULE util = GetModuleHandleA("VXUtil.dll");
    return util ? reinterpret_cast<HidCall>(reinterpret_cast<void*>(GetProcAddress(util, "CallHIDButtonFunction")))
                : nullptr;
}

// A key event as the host passes it on: through the function table when
// the library has one, else straight to the mixer.
void key(unsigned usage, int pressed)
{
    if (HidCall call = hid_dispatch()) {
        int result = 0;
        call(usage, pressed, &result);
        return;
    }
    switch (usage) {
    case 0xE9:
        pressed ? Mixer_StartVolumeIncrease() : Mixer_StopVolumeIncrease();
        break;
    case 0xEA:
        pressed ? Mixer_StartVolumeDecrease() : Mixer_StopVolumeDecrease();
        break;
    case 0xE2:
        if (pressed)
            Mixer_ToggleMute();
        break;
    }
}

unsigned level()
{
    int v = 0;
    Mixer_GetVolume(&v);
    return static_cast<unsigned>(v);
}

} // namespace

int main(int argc, char** argv)
{
    g_out = argc > 1 ? argv[1] : ".";
    Reg_InitProfile("Software\\VXKeyboard\\OSDDemo", "demo");
    HWND host = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    Mixer_Init(host);
    OSD_Init();
    OSD_InitLockKey();
    std::printf("keys through %s; screen %d x %d\n", hid_dispatch() ? "CallHIDButtonFunction" : "the Mixer_* exports",
                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));

    const int cy = GetSystemMetrics(SM_CYSCREEN);
    OSD_ShowCapsLk(60, cy - 60, 1);
    pump_for(200);
    save_screen("osd-capslock");
    OSD_ShowNumLk(120, cy - 60, 0);
    OSD_ShowScrlLk(180, cy - 60, 1);
    OSD_ShowMic(240, cy - 60, 1);
    pump_for(200);
    save_screen("osd-indicators");

    OSD_ShowString("Volume keys ready", nullptr, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT);
    pump_for(200);
    save_screen("osd-string");

    // Volume Up held for about a second: the repeat steps every 150 ms.
    Mixer_SetMuteState(0);
    key(0xE9, 1);
    for (int i = 0; i < 8; ++i) {
        pump_for(150);
        OSD_ShowVolume(level(), 32, 0xFFFF);
    }
    key(0xE9, 0);
    pump_for(100);
    std::printf("after Volume Up held: level %u\n", level());
    save_screen("osd-volume-up");

    OSD_SetVolumeBkgColor(RGB(40, 40, 48));
    key(0xEA, 1);
    pump_for(50);
    key(0xEA, 0);
    OSD_ShowVolumeEx(level(), 32, 0xFFFF, 0);
    pump_for(200);
    std::printf("after Volume Down: level %u\n", level());
    save_screen("osd-volume-down-framed");

    key(0xE2, 1);
    key(0xE2, 0);
    const int muted = Mixer_GetMuteState();
    OSD_ShowMuteIcon(muted);
    pump_for(200);
    std::printf("after Mute: muted %d\n", muted);
    save_screen("osd-mute");

    OSD_ShowVolumeEx(level(), 32, 0xFFFF, muted ? 1 : 0);
    pump_for(200);
    save_screen("osd-volume-muted-framed");

    OSD_Destroy();
    return 0;
}
