#include "host.h"

#include <mmsystem.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdarg>

#include "raw_input.h"
#include "vxosd.h"
#include "vxutil.h"

namespace keyhost {
namespace {

constexpr char kWindowClass[] = "VXKeyHostWindow";
constexpr char kProfileRoot[] = "Software\\VXKeyHost";
constexpr UINT_PTR kVolumeFollowTimer = 1;
constexpr UINT kVolumeFollowMs = 150;
constexpr UINT kMenuFont = 100;
constexpr UINT kMenuExit = 101;
constexpr std::uint32_t kVolumeUp = 0xE9;
constexpr std::uint32_t kVolumeDown = 0xEA;
constexpr std::uint32_t kMute = 0xE2;

bool is_volume_key(std::uint32_t code) { return code == kVolumeUp || code == kVolumeDown; }

} // namespace

Host::~Host()
{
    if (log_)
        std::fclose(log_);
}

void Host::log(const char* format, ...)
{
    char line[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    std::fputs(line, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    if (log_) {
        std::fputs(line, log_);
        std::fputc('\n', log_);
        std::fflush(log_);
    }
}

bool Host::start(HINSTANCE instance)
{
    QueryPerformanceFrequency(&frequency_);
    CreateDirectoryA(options_.out_dir.c_str(), nullptr);
    log_ = std::fopen((options_.out_dir + "\\keyhost.log").c_str(), "w");

    WNDCLASSA wc{};
    wc.lpfnWndProc = window_proc;
    wc.hInstance = instance;
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    // A hidden top-level window: it owns the notification icon, receives Raw
    // Input and is the mixer's callback window.
    window_ = CreateWindowExA(WS_EX_TOOLWINDOW, kWindowClass, "VX key host", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              instance, this);
    if (!window_)
        return false;

    char user[260] = {};
    DWORD user_size = sizeof user;
    if (!GetUserNameA(user, &user_size))
        user[0] = '\0';
    Reg_InitProfile(kProfileRoot, user);
    SetThreadResourceLocale();
    Mixer_Init(window_);
    OSD_Init();
    OSD_InitLockKey();

    consumer_raw_input_ = register_raw_input(window_);

    NOTIFYICONDATAA icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = window_;
    icon.uID = 1;
    icon.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    icon.uCallbackMessage = kTrayMessage;
    icon.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    lstrcpynA(icon.szTip, "Multimedia keyboard", sizeof icon.szTip);
    Shell_NotifyIconA(NIM_ADD, &icon);

    log("keyhost: started (consumer keys through %s)", consumer_raw_input_ ? "Raw Input" : "WM_APPCOMMAND");
    return true;
}

int Host::run_message_loop()
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void Host::on_key(std::uint32_t code, bool pressed)
{
    LARGE_INTEGER begin;
    QueryPerformanceCounter(&begin);
    int result = 0;
    const int handled = CallHIDButtonFunction(code, pressed ? 1 : 0, &result);
    char name[64] = "?";
    GetHIDFuncName(code, name, sizeof name);

    if (pressed && is_volume_key(code)) {
        show_volume();
        SetTimer(window_, kVolumeFollowTimer, kVolumeFollowMs, nullptr);
        LARGE_INTEGER end;
        QueryPerformanceCounter(&end);
        latencies_.push_back(static_cast<double>(end.QuadPart - begin.QuadPart) * 1000.0 /
                             static_cast<double>(frequency_.QuadPart));
    } else if (!pressed && is_volume_key(code)) {
        KillTimer(window_, kVolumeFollowTimer);
    } else if (pressed && code == kMute) {
        OSD_ShowMuteIcon(Mixer_GetMuteState() ? 1 : 0);
    }
    LARGE_INTEGER done;
    QueryPerformanceCounter(&done);
    const double ms =
        static_cast<double>(done.QuadPart - begin.QuadPart) * 1000.0 / static_cast<double>(frequency_.QuadPart);
    int level = 0;
    Mixer_GetVolume(&level);
    log("%-7s 0x%04X %-20s -> %d (result %d)  volume 0x%04X muted %d  %7.2f ms", pressed ? "press" : "release", code,
        name, handled, result, level, Mixer_GetMuteState() ? 1 : 0, ms);
}

void Host::show_volume()
{
    int level = 0;
    Mixer_GetVolume(&level);
    const unsigned value = static_cast<unsigned>(level < 0 ? 0 : level);
    if (options_.classic_volume)
        OSD_ShowVolume(value, 0, 0xFFFF);
    else
        OSD_ShowVolumeEx(value, 0, 0xFFFF, Mixer_GetMuteState() ? 1 : 0);
}

void Host::on_lock(LockKey key, bool on)
{
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int x = work.left + 40;
    const int y = work.bottom - 40;
    switch (key) {
    case LockKey::Caps: OSD_ShowCapsLk(x, y, on ? 1 : 0); break;
    case LockKey::Num: OSD_ShowNumLk(x, y, on ? 1 : 0); break;
    case LockKey::Scroll: OSD_ShowScrlLk(x, y, on ? 1 : 0); break;
    }
    static const char* const names[] = {"Caps Lock", "Num Lock", "Scroll Lock"};
    log("lock    %s %s", names[static_cast<int>(key)], on ? "on" : "off");
}

void Host::on_mic(bool on)
{
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    OSD_ShowMic(work.left + 100, work.bottom - 40, on ? 1 : 0);
    log("mic     %s", on ? "muted" : "on");
}

void Host::show_menu()
{
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, kMenuFont, "OSD font...");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, kMenuExit, "Exit");
    POINT at;
    GetCursorPos(&at);
    SetForegroundWindow(window_);
    const UINT chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr);
    DestroyMenu(menu);
    if (chosen == kMenuFont) {
        if (OSD_SelectFont(window_))
            OSD_SaveSettings();
    } else if (chosen == kMenuExit) {
        DestroyWindow(window_);
    }
}

void Host::finish()
{
    NOTIFYICONDATAA icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = window_;
    icon.uID = 1;
    Shell_NotifyIconA(NIM_DELETE, &icon);
    Mixer_StopVolumeIncrease();
    OSD_Destroy();
}

LRESULT CALLBACK Host::window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* host = reinterpret_cast<Host*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (host && host->window_ == window)
        return host->handle(message, wparam, lparam);
    return DefWindowProcA(window, message, wparam, lparam);
}

LRESULT Host::handle(UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_INPUT: {
        RawInputSink sink{[this](std::uint32_t code, bool pressed) { on_key(code, pressed); },
                          [this](LockKey key, bool on) { on_lock(key, on); }};
        handle_raw_input(reinterpret_cast<HRAWINPUT>(lparam), sink);
        break;
    }
    case WM_APPCOMMAND:
        if (!consumer_raw_input_) {
            if (const std::uint32_t code = usage_of_app_command(GET_APPCOMMAND_LPARAM(lparam))) {
                on_key(code, true);
                on_key(code, false);
                return TRUE;
            }
        }
        break;
    case MM_MIXM_CONTROL_CHANGE:
        // The volume changed elsewhere (or by our own repeat): refresh the
        // display only if it is already up, so other programs' changes do
        // not pop it up unasked.
        if (IsWindowVisible(FindWindowA("VX_OSD_WNDCLASS", nullptr)))
            show_volume();
        return 0;
    case WM_TIMER:
        if (wparam == kVolumeFollowTimer) {
            show_volume();
            return 0;
        }
        break;
    case kTrayMessage:
        if (lparam == WM_RBUTTONUP || lparam == WM_CONTEXTMENU)
            show_menu();
        return 0;
    case WM_DESTROY:
        finish();
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window_, message, wparam, lparam);
}

} // namespace keyhost
