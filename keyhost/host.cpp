#include "host.h"

#include <dbt.h>
#include <mmsystem.h>
#include <wtsapi32.h>

#include <cstdarg>

#include "actions/microphone.h"
#include "shell/autostart.h"
#include "shell/unicode_path.h"
#include "input/cd_disc.h"
#include "core/consumer_keys.h"
#include "shell/display_settings.h"
#include "vxosd.h"
#include "vxutil.h"

namespace keyhost {
namespace {

constexpr char kProfileRoot[] = "Software\\VXKeyHost";
constexpr UINT_PTR kVolumeFollowTimer = 1;
constexpr UINT kVolumeFollowMs = 150;

bool is_volume_key(std::uint32_t code) { return code == kVolumeUp || code == kVolumeDown; }

BOOL CALLBACK find_visible_display(HWND window, LPARAM visible)
{
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpA(name, "VX_OSD_WNDCLASS") != 0)
        return TRUE;
    *reinterpret_cast<bool*>(visible) = IsWindowVisible(window) != FALSE;
    return FALSE;
}

// The mode after the current one in the display's list, from `index` on
// (which is advanced); false when the display lists no other mode.
bool next_display_mode(std::uint32_t& index, DEVMODEA& mode)
{
    DEVMODEA current{};
    current.dmSize = sizeof current;
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &current);
    std::uint32_t count = 0;
    DEVMODEA probe{};
    probe.dmSize = sizeof probe;
    while (count < 1000 && EnumDisplaySettingsA(nullptr, count, &probe))
        ++count;
    for (std::uint32_t tried = 0; tried < count; ++tried) {
        mode = DEVMODEA{};
        mode.dmSize = sizeof mode;
        if (!EnumDisplaySettingsA(nullptr, index++ % count, &mode))
            continue;
        if (mode.dmPelsWidth != current.dmPelsWidth || mode.dmPelsHeight != current.dmPelsHeight ||
            mode.dmBitsPerPel != current.dmBitsPerPel) {
            mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
            return true;
        }
    }
    return false;
}

// The host whose window is up; the desktop-switch event has no other way in.
Host* g_host = nullptr;

// The DPI awareness the manifest gave this thread. The functions that tell
// exist from Windows 10 1607 on, so they are looked up rather than imported.
const char* awareness_name()
{
    using GetContext = HANDLE(WINAPI*)();
    using GetAwareness = int(WINAPI*)(HANDLE);
    HMODULE user32 = GetModuleHandleA("user32.dll");
    const auto context = reinterpret_cast<GetContext>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetThreadDpiAwarenessContext")));
    const auto awareness = reinterpret_cast<GetAwareness>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
    if (!context || !awareness)
        return IsProcessDPIAware() ? "system" : "unaware";
    switch (awareness(context())) {
    case 0: return "unaware";
    case 1: return "system";
    case 2: return "per monitor";
    default: return "unknown";
    }
}

} // namespace

Host::~Host() { log_.close(); }

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
    log_.write(line);
}

bool Host::start(HINSTANCE instance)
{
    QueryPerformanceFrequency(&frequency_);
    log_.open(options_.out_dir.empty() ? default_log_folder() : options_.out_dir);

    WNDCLASSA wc{};
    wc.lpfnWndProc = window_proc;
    wc.hInstance = instance;
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    // A hidden top-level window: it owns the notification icon, receives Raw
    // Input, the hook's keys and broadcasts, and is the mixer's callback window.
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
    write_display_defaults();
    Mixer_Init(window_);
    OSD_Init();
    OSD_InitLockKey();
    refresh_disc();
    start_input();

    tray_.attach(window_, kTrayMessage);
    tray_.add();
    if (options_.log_announcements)
        announcements_.start([this](const std::string& text) { log("announce %s", text.c_str()); });
    log("keyhost: started; consumer keys through %s; log %s; DPI awareness %s",
        consumer_raw_input_ ? "Raw Input and the keyboard hook"
                            : "the keyboard hook only (the consumer page could not be registered)",
        log_.path().c_str(), awareness_name());
    if (const MicState mic = microphone_state(); !mic.present)
        log("mic     no microphone to mute: %s", mic.why.c_str());
    return true;
}

// Every way a key comes in, and every way one can be lost on the way out.
void Host::start_input()
{
    consumer_raw_input_ = register_raw_input(window_);
    if (!hook_.start(window_))
        log("keyhost: no keyboard hook; Windows acts on the volume and media keys too");
    WTSRegisterSessionNotification(window_, NOTIFY_FOR_THIS_SESSION);
    g_host = this;
    desktop_switch_ = SetWinEventHook(EVENT_SYSTEM_DESKTOPSWITCH, EVENT_SYSTEM_DESKTOPSWITCH, nullptr, on_desktop_switch,
                                      0, 0, WINEVENT_OUTOFCONTEXT);
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

void Host::replay_key(std::uint32_t code, bool pressed)
{
    std::vector<KeyChange> changes;
    tracker_.key(kReplaySource, code, pressed, changes);
    apply(changes);
}

void Host::on_report(Source source, std::span<const std::uint32_t> codes, int dial_steps)
{
    std::vector<KeyChange> changes;
    tracker_.set(source, codes, changes);
    apply(changes);
    // A dial step is a tap of the volume key, unless one is held and its
    // repeat already moves the volume.
    const std::uint32_t key = dial_steps > 0 ? kVolumeUp : kVolumeDown;
    for (int i = 0; i < (dial_steps < 0 ? -dial_steps : dial_steps); ++i) {
        if (tracker_.down(kVolumeUp) || tracker_.down(kVolumeDown))
            break;
        on_key(key, true);
        on_key(key, false);
    }
}

// The changes are a local copy: a key function may show a message box whose
// loop brings further input in before this returns.
void Host::apply(const std::vector<KeyChange>& changes)
{
    for (const KeyChange& change : changes) {
        if (change.code == kMicMuteCode) {
            if (change.pressed)
                press_mic();
        } else if (host_takes(change.code, disc_for_cd_keys_)) {
            on_key(change.code, change.pressed);
        } else if (change.pressed) {
            log("pass    0x%04X to Windows (no disc for the CD functions)", change.code);
        }
    }
}

void Host::release_all(const char* why)
{
    std::vector<KeyChange> changes;
    tracker_.release_all(changes);
    if (!changes.empty())
        log("release %zu held key(s): %s", changes.size(), why);
    apply(changes);
}

void Host::refresh_disc()
{
    disc_for_cd_keys_ = disc_for_cd_keys();
    hook_.set_disc_for_cd_keys(disc_for_cd_keys_);
}

void Host::on_key(std::uint32_t code, bool pressed)
{
    LARGE_INTEGER begin;
    QueryPerformanceCounter(&begin);
    int result = 0;
    const int handled = CallHIDButtonFunction(code, pressed ? 1 : 0, &result);

    if (pressed && is_volume_key(code)) {
        show_volume();
        SetTimer(window_, kVolumeFollowTimer, kVolumeFollowMs, nullptr);
        LARGE_INTEGER end;
        QueryPerformanceCounter(&end);
        latencies_.add(static_cast<double>(end.QuadPart - begin.QuadPart) * 1000.0 /
                       static_cast<double>(frequency_.QuadPart));
    } else if (!pressed && is_volume_key(code)) {
        KillTimer(window_, kVolumeFollowTimer);
    } else if (pressed && code == kMute) {
        // The mixer's change notice that follows must not replace the icon.
        Mixer_GetVolume(&shown_level_);
        shown_mute_ = Mixer_GetMuteState() ? 1 : 0;
        OSD_ShowMuteIcon(shown_mute_);
        tray_.show_volume(shown_level_, shown_mute_ == 1);
    }
    LARGE_INTEGER done;
    QueryPerformanceCounter(&done);
    const double ms =
        static_cast<double>(done.QuadPart - begin.QuadPart) * 1000.0 / static_cast<double>(frequency_.QuadPart);
    char name[64] = "?";
    GetHIDFuncName(code, name, sizeof name);
    // A volume press logs what it showed rather than asking the mixer again.
    int level = shown_level_;
    int muted = shown_mute_;
    if (!pressed || !is_volume_key(code)) {
        Mixer_GetVolume(&level);
        muted = Mixer_GetMuteState() ? 1 : 0;
    }
    log("%-7s 0x%04X %-20s -> %d (result %d)  volume 0x%04X muted %d  %7.2f ms", pressed ? "press" : "release", code,
        name, handled, result, level, muted, ms);
}

bool Host::volume_changed() const
{
    int level = 0;
    Mixer_GetVolume(&level);
    return (level < 0 ? 0 : level) != shown_level_ || (Mixer_GetMuteState() ? 1 : 0) != shown_mute_;
}

void Host::show_volume()
{
    int level = 0;
    Mixer_GetVolume(&level);
    shown_level_ = level < 0 ? 0 : level;
    shown_mute_ = Mixer_GetMuteState() ? 1 : 0;
    const unsigned value = static_cast<unsigned>(shown_level_);
    if (options_.classic_volume)
        OSD_ShowVolume(value, 0, 0xFFFF);
    else
        OSD_ShowVolumeEx(value, 0, 0xFFFF, shown_mute_);
    tray_.show_volume(shown_level_, shown_mute_ == 1);
}

// Only this process's display: another program's window of the same class
// is not ours to follow.
bool Host::display_visible() const
{
    bool visible = false;
    EnumThreadWindows(GetCurrentThreadId(), find_visible_display, reinterpret_cast<LPARAM>(&visible));
    return visible;
}

void Host::on_lock(LockKey key, bool on)
{
    const auto [x, y] = indicator_position(40, 40);
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
    const auto [x, y] = indicator_position(100, 40);
    OSD_ShowMic(x, y, on ? 1 : 0);
    log("mic     %s", on ? "muted" : "on");
}

// The indicator shows what the device says after the change, never what
// keyhost asked for.
void Host::press_mic()
{
    const MicState mic = toggle_microphone();
    if (!mic.present) {
        log("mic     no microphone to mute: %s", mic.why.c_str());
        return;
    }
    if (!mic.why.empty())
        log("mic     %s: %s", mic.way, mic.why.c_str());
    on_mic(mic.muted);
}

void Host::show_text(const std::string& text)
{
    OSD_ShowString(text.c_str(), nullptr, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT);
    log("text    %s", text.c_str());
}

void Host::change_screen(std::uint32_t width, std::uint32_t height)
{
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    if (width && height) {
        mode.dmPelsWidth = width;
        mode.dmPelsHeight = height;
        mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    } else if (!next_display_mode(next_mode_, mode)) {
        log("screen  the display lists no other mode");
        return;
    }
    // CDS_FULLSCREEN: a change for this session of keyhost only, never
    // written to the registry; finish() puts the registry's mode back.
    const LONG result = ChangeDisplaySettingsExA(nullptr, &mode, nullptr, CDS_FULLSCREEN, nullptr);
    screen_changed_ |= result == DISP_CHANGE_SUCCESSFUL;
    log("screen  %lux%lu %lu bits: %s (%ld)", mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel,
        result == DISP_CHANGE_SUCCESSFUL ? "changed" : "refused", result);
}

void Host::show_menu(POINT at)
{
    // Enter on the icon comes twice, and the menu's own loop delivers the
    // second: one menu at a time.
    if (menu_open_)
        return;
    const int monitor = display_setting(kMonitorSetting);
    auto check = [](bool on) { return static_cast<UINT>(on ? MF_CHECKED : MF_UNCHECKED); };
    HMENU display = CreatePopupMenu();
    AppendMenuA(display, MF_STRING | check(monitor == 0), kMenuMonitorPrimary, "On the primary monitor");
    AppendMenuA(display, MF_STRING | check(monitor == 1), kMenuMonitorActive, "On the monitor of the active window");
    AppendMenuA(display, MF_STRING | check(monitor == 2), kMenuMonitorPointer, "On the monitor under the pointer");
    AppendMenuA(display, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(display, MF_STRING | check(display_setting(kFullScreenSetting) == 1), kMenuFullScreen,
                "Hide over full-screen programs");
    AppendMenuA(display, MF_STRING | check(display_setting(kAnnounceSetting) == 1), kMenuAnnounce,
                "Announce to screen readers");
    AppendMenuA(display, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(display, MF_STRING, kMenuFont, "Font and colour...");

    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING | check(autostart_enabled()), kMenuAutostart, "Start with Windows");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(display), "On-screen display");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, kMenuExit, "Exit");
    menu_open_ = true;
    const UINT chosen = track_tray_menu(window_, menu, at);
    menu_open_ = false;
    DestroyMenu(menu); // and the submenu with it
    if (chosen)
        on_command(chosen);
}

void Host::on_command(UINT command)
{
    switch (command) {
    case kMenuAutostart: {
        const bool on = !autostart_enabled();
        log("menu    start with Windows %s: %s", on ? "on" : "off", set_autostart(on) ? "done" : "FAILED");
        break;
    }
    case kMenuFont:
        if (OSD_SelectFont(window_))
            OSD_SaveSettings();
        break;
    case kMenuMonitorPrimary:
    case kMenuMonitorActive:
    case kMenuMonitorPointer:
        change_display_setting(kMonitorSetting, static_cast<int>(command - kMenuMonitorPrimary));
        break;
    case kMenuFullScreen:
        change_display_setting(kFullScreenSetting, display_setting(kFullScreenSetting) == 1 ? 0 : 1);
        break;
    case kMenuAnnounce:
        change_display_setting(kAnnounceSetting, display_setting(kAnnounceSetting) == 1 ? 0 : 1);
        break;
    case kMenuExit:
        DestroyWindow(window_);
        break;
    default:
        break;
    }
}

void Host::finish()
{
    release_all("keyhost ends");
    hook_.stop();
    unregister_raw_input();
    WTSUnRegisterSessionNotification(window_);
    if (desktop_switch_)
        UnhookWinEvent(desktop_switch_);
    desktop_switch_ = nullptr;
    g_host = nullptr;
    announcements_.stop();
    tray_.remove();
    Mixer_StopVolumeIncrease();
    OSD_Destroy();
    if (screen_changed_)
        ChangeDisplaySettingsExA(nullptr, nullptr, nullptr, 0, nullptr);
}

void CALLBACK Host::on_desktop_switch(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD)
{
    if (g_host)
        g_host->release_all("desktop switch");
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

// Messages whose numbers are registered at run time.
bool Host::handle_registered(UINT message)
{
    static const UINT another_start = RegisterWindowMessageA(kAnotherStartMessage);
    if (message == tray_.taskbar_created() && message != 0) {
        log("tray    the taskbar was created again: %s", tray_.add() ? "icon added" : "retrying");
        return true;
    }
    if (message == another_start) {
        log("keyhost: another start was refused; this copy keeps running");
        tray_.balloon(L"Multimedia keyboard", L"keyhost is already running.");
        return true;
    }
    return false;
}

LRESULT Host::handle(UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message >= 0xC000 && handle_registered(message))
        return 0;
    switch (message) {
    case WM_INPUT: {
        const RawInputSink sink{
            [this](Source source, std::span<const std::uint32_t> codes, int steps) { on_report(source, codes, steps); },
            [this](LockKey key) {
                // The state Windows has now, so a toggle made while keyhost
                // did not listen never inverts the indicator.
                static const int keys[] = {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL};
                on_lock(key, (GetKeyState(keys[static_cast<int>(key)]) & 1) != 0);
            },
            [this](std::uint64_t) { release_all("a report could not be read"); },
            [this](std::uint64_t device) { return tracker_.holds_any(device); },
        };
        raw_input_.read(reinterpret_cast<HRAWINPUT>(lparam), sink);
        break;
    }
    case WM_INPUT_DEVICE_CHANGE:
        if (wparam == GIDC_REMOVAL) {
            release_all("a device was removed");
            raw_input_.forget(reinterpret_cast<HANDLE>(lparam));
        }
        return 0;
    case kHookKeyMessage: {
        std::vector<KeyChange> changes;
        tracker_.key(kHookSource, code_of_virtual_key(static_cast<std::uint32_t>(wparam)), lparam != 0, changes);
        apply(changes);
        return 0;
    }
    case WM_WTSSESSION_CHANGE:
        release_all("session change");
        return 0;
    case WM_POWERBROADCAST:
        if (wparam == PBT_APMSUSPEND)
            release_all("suspend");
        return TRUE;
    case WM_DEVICECHANGE:
        // A disc went in or out: the CD keys may change hands.
        if ((wparam == DBT_DEVICEARRIVAL || wparam == DBT_DEVICEREMOVECOMPLETE) && lparam &&
            reinterpret_cast<const DEV_BROADCAST_HDR*>(lparam)->dbch_devicetype == DBT_DEVTYP_VOLUME)
            refresh_disc();
        return TRUE;
    case MM_MIXM_CONTROL_CHANGE: {
        // The volume changed elsewhere (or by our own repeat): refresh the
        // display only if it is already up and shows something else, so other
        // programs' changes do not pop it up unasked and no show is repeated.
        if (volume_changed() && display_visible())
            show_volume();
        return 0;
    }
    case WM_TIMER:
        if (wparam == kVolumeFollowTimer) {
            if (volume_changed())
                show_volume();
            return 0;
        }
        if (tray_.on_timer(wparam))
            return 0;
        break;
    case kTrayMessage: {
        POINT at{};
        if (tray_wants_menu(wparam, lparam, at))
            show_menu(at);
        return 0;
    }
    case WM_SETTINGCHANGE:
        if (wparam == SPI_SETHIGHCONTRAST)
            tray_.settings_changed();
        break;
    case WM_COMMAND:
        on_command(LOWORD(wparam));
        return 0;
    case WM_DESTROY:
        finish();
        PostQuitMessage(exit_code_);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window_, message, wparam, lparam);
}

} // namespace keyhost
