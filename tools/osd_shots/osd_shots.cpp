// Shows each display of VXOSD.dll the way a hot-key manager does and saves a
// screenshot of the screen after each as a BMP file: the Caps Lock
// indicator, a string, the mute display, and the volume displays after real
// volume key presses (through CallHIDButtonFunction when VXUtil has it,
// otherwise the Mixer_* exports). Runs a message loop throughout, so the
// key-held repeat and the hide timers run for real.
//
// --sequence plays a fixed series of shows instead, each replacing the one
// before as a host's shows do (strings, mute on and off, volume levels up
// and down in both layouts, with and without the background, an indicator
// over a display), and prints a hash of the whole screen after each; two
// builds of VXOSD.dll put the same pixels on the screen when they print the
// same hashes. With OUTDIR it saves each screen too.
//
//   osd_shots.exe OUTDIR
//   osd_shots.exe --sequence [OUTDIR]
#include <windows.h>

#include <cstdio>
#include <cstring>
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

// FNV-1a of the screen's pixels, for comparing builds without files.
unsigned long long hash_bytes(const void* data, std::size_t size)
{
    unsigned long long h = 14695981039346656037ull;
    const auto* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i)
        h = (h ^ p[i]) * 1099511628211ull;
    return h;
}

bool g_hash_only = false;

// Saves the whole screen as a 24-bit BMP (or, in a sequence without an
// output folder, only prints its hash).
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
    if (g_hash_only || g_out.empty()) {
        std::printf("%-28s %016llx\n", name, hash_bytes(bits, image));
        std::fflush(stdout);
    }
    if (g_out.empty()) {
        SelectObject(memory, old);
        DeleteObject(dib);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        return true;
    }
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

// Every kind of show, each replacing the one before, at fixed levels.
int play_sequence()
{
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    auto step = [](const char* name) {
        pump_for(150);
        save_screen(name);
    };
    OSD_ShowString("Volume keys ready", nullptr, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT);
    step("seq-01-string");
    OSD_ShowString("Volume up: level 27%", nullptr, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT);
    step("seq-02-string-replaced");
    OSD_ShowString("Volume up: level 34%", nullptr, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT);
    step("seq-03-digits-replaced");
    OSD_ShowMuteIcon(1);
    step("seq-04-mute-on");
    OSD_ShowMuteIcon(0);
    step("seq-05-mute-off");
    const unsigned classic[] = {0x8000, 0x9000, 0x3000, 0xFFFF, 0};
    char name[64];
    for (unsigned level : classic) {
        OSD_ShowVolume(level, 32, 0xFFFF);
        std::snprintf(name, sizeof name, "seq-06-classic-%04x", level);
        step(name);
    }
    OSD_ShowMuteIcon(1);
    step("seq-07-mute-over-bars");
    const unsigned framed[] = {0x8000, 0x8800, 0x2000, 0xFFFF};
    for (unsigned level : framed) {
        OSD_ShowVolumeEx(level, 32, 0xFFFF, 0);
        std::snprintf(name, sizeof name, "seq-08-framed-%04x", level);
        step(name);
    }
    OSD_SetVolumeBkgColor(RGB(40, 40, 48));
    for (unsigned level : framed) {
        OSD_ShowVolumeEx(level, 32, 0xFFFF, level == 0x2000 ? 1 : 0);
        std::snprintf(name, sizeof name, "seq-09-background-%04x", level);
        step(name);
    }
    OSD_ShowVolume(0x6000, 32, 0xFFFF);
    step("seq-10-classic-background");
    OSD_ShowCapsLk(60, cy - 60, 1);
    step("seq-11-indicator-hides-volume");
    OSD_ShowString("Caps Lock", nullptr, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT);
    step("seq-12-string-after-indicator");
    pump_for(2500);
    step("seq-13-all-hidden");
    OSD_ShowVolumeEx(0x4000, 32, 0xFFFF, 0);
    step("seq-14-framed-after-hide");
    OSD_SetColor(RGB(255, 160, 0));
    OSD_ShowVolumeEx(0x4800, 32, 0xFFFF, 0);
    step("seq-15-new-colour");
    OSD_Destroy();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && !std::strcmp(argv[1], "--sequence")) {
        g_out = argc > 2 ? argv[2] : "";
        g_hash_only = true;
        Reg_InitProfile("Software\\VXKeyboard\\OSDSequence", "sequence");
        OSD_Init();
        OSD_InitLockKey();
        std::printf("sequence on a %d x %d screen\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        return play_sequence();
    }
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
