#include "host.h"

#include <dbt.h>
#include <mmsystem.h>
#include <wtsapi32.h>

#include <cstdarg>

#include "actions/microphone.h"
#include "shell/autostart.h"
#include "core/consumer_keys.h"
#include "input/key_state.h"
#include "shell/display_settings.h"

namespace keyhost {
namespace {

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

// ChangeWindowMessageFilterEx exists from Windows 7 on; it is looked up so
// keyhost still starts where it does not.
void allow_message(HWND window, UINT message)
{
    using Filter = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    static const auto filter = reinterpret_cast<Filter>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "ChangeWindowMessageFilterEx")));
    if (filter && message)
        filter(window, message, 1 /* MSGFLT_ALLOW */, nullptr);
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
    std::lock_guard<std::mutex> hold(log_lock_);
    std::fputs(line, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    log_.write(line);
}

// Read after the action thread ended, or on it (the replay's report).
std::vector<double> Host::volume_latencies() const { return actions_.volume_latencies(); }

bool Host::start(HINSTANCE instance)
{
    log_.open(options_.out_dir.empty() ? default_log_folder() : options_.out_dir);

    WNDCLASSA wc{};
    wc.lpfnWndProc = window_proc;
    wc.hInstance = instance;
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    // A hidden top-level window: it owns the notification icon, receives Raw
    // Input, the hook's keys and broadcasts.
    window_ = CreateWindowExA(WS_EX_TOOLWINDOW, kWindowClass, "VX key host", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              instance, this);
    if (!window_)
        return false;

    // The action thread opens the profile, the mixer and the displays before
    // any key can reach it.
    if (!action_thread_.start([this] { actions_.start(action_thread_.window()); },
                              [this](const KeyWork& work) { run_key(work); },
                              [this](HWND w, UINT m, WPARAM wp, LPARAM lp) { return handle_action_message(w, m, wp, lp); }))
        return false;
    disc_watch_.start([this](const char* line) { log("%s", line); });
    start_input();

    tray_.attach(window_, kTrayMessage, options_.interactive);
    allow_through_uipi();
    tray_.add();
    if (options_.log_announcements)
        announcements_.start([this](const std::string& text) { log("announce %s", text.c_str()); });
    log("keyhost: started; consumer keys through %s; log %s; DPI awareness %s",
        consumer_raw_input_ ? "Raw Input and the keyboard hook"
                            : "the keyboard hook only (the consumer page could not be registered)",
        log_.path().c_str(), awareness_name());
    switch (autostart_state()) {
    case Autostart::DisabledByWindows:
        log("keyhost: Start with Windows is switched off in Windows' Startup apps; the menu item turns it on again");
        break;
    case Autostart::OtherCopy:
        log("keyhost: Start with Windows names another copy of keyhost; the menu item makes it this one");
        break;
    default:
        break;
    }
    // The capture device is asked where the microphone key will ask it.
    action_thread_.post([this] {
        if (const MicState mic = microphone_state(); !mic.present)
            log("mic     no microphone to mute: %s", mic.why.c_str());
    });
    return true;
}

// An elevated copy still hears Explorer's new taskbar and a second start
// from a copy of lower integrity.
void Host::allow_through_uipi()
{
    allow_message(window_, tray_.taskbar_created());
    allow_message(window_, RegisterWindowMessageA(kAnotherStartMessage));
}

// Every way a key comes in, and every way one can be lost on the way out.
void Host::start_input()
{
    consumer_raw_input_ = register_raw_input(window_);
    if (!hook_.start(window_))
        log("keyhost: no keyboard hook; Windows acts on the volume and media keys too");
    int delay = 1;
    DWORD speed = 31;
    SystemParametersInfoA(SPI_GETKEYBOARDDELAY, 0, &delay, 0);
    SystemParametersInfoA(SPI_GETKEYBOARDSPEED, 0, &speed, 0);
    repeat_window_ = repeat_window(delay, static_cast<int>(speed));
    WTSRegisterSessionNotification(window_, NOTIFY_FOR_THIS_SESSION);
    g_host = this;
    desktop_switch_ = SetWinEventHook(EVENT_SYSTEM_DESKTOPSWITCH, EVENT_SYSTEM_DESKTOPSWITCH, nullptr, on_desktop_switch,
                                      0, 0, WINEVENT_OUTOFCONTEXT);
}

// Windows removes a hook it gave up on without a word, and a session or
// power change can leave it deaf: a new one is installed.
void Host::restart_hook(const char* why)
{
    // The keys held through the old hook will see no up; keys a device holds
    // keep going.
    std::vector<KeyChange> changes;
    tracker_.release_source(kHookSource, changes);
    hook_holds_.clear();
    if (!changes.empty())
        log("release %zu key(s) held through the hook", changes.size());
    apply(changes, true);
    hook_watch_.clear();
    const bool ok = hook_.restart();
    log("hook    installed again after %s: %s", why, ok ? "done" : "FAILED");
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
    replay_tracker_.key(kReplaySource, code, pressed, changes);
    for (const KeyChange& change : changes) {
        if (change.code == kMicMuteCode) {
            if (change.pressed)
                action_thread_.run_now([&] { actions_.toggle_mic(); });
        } else if (host_takes(change.code, key_state().disc)) {
            action_thread_.run_now([&] { actions_.key(change.code, change.pressed, 0); });
        } else if (change.pressed) {
            log("pass    0x%04X to Windows (no disc for the CD functions)", change.code);
        }
    }
}

void Host::on_lock(LockKey key, bool on) { action_thread_.run_now([&] { actions_.lock(key, on); }); }
void Host::on_mic(bool on) { action_thread_.run_now([&] { actions_.mic(on); }); }
void Host::show_text(const std::string& text) { action_thread_.run_now([&] { actions_.text(text); }); }
void Host::change_screen(std::uint32_t width, std::uint32_t height)
{
    action_thread_.run_now([&] { actions_.change_screen(width, height); });
}

// The action thread's own window: the mixer's notices and the display's
// follow timer.
bool Host::handle_action_message(HWND, UINT message, WPARAM wparam, LPARAM)
{
    if (message == MM_MIXM_CONTROL_CHANGE) {
        actions_.mixer_changed();
        return true;
    }
    if (message == WM_TIMER && wparam == kVolumeFollowTimer) {
        actions_.follow_volume();
        return true;
    }
    return false;
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
    KillTimer(window_, kKeyWatchTimer);
    disc_watch_.stop();
    announcements_.stop();
    tray_.remove();
    action_thread_.stop([this] { actions_.finish(); });
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
    case WM_INPUT:
        raw_input_.read(reinterpret_cast<HRAWINPUT>(lparam), raw_input_sink());
        break;
    case WM_INPUT_DEVICE_CHANGE:
        if (wparam == GIDC_REMOVAL) {
            release_all("a device was removed");
            raw_input_.forget(reinterpret_cast<HANDLE>(lparam));
        }
        return 0;
    case kHookKeyMessage:
        on_hook_key(static_cast<std::uint32_t>(wparam), lparam != 0);
        return 0;
    case kHookPassMessage:
        log("pass    0x%04X to Windows (busy)", code_of_virtual_key(static_cast<std::uint32_t>(wparam)));
        return 0;
    case kKeyDoneMessage:
        on_key_done(static_cast<std::uint32_t>(wparam), static_cast<int>(lparam));
        return 0;
    case WM_WTSSESSION_CHANGE:
        release_all(wparam == WTS_SESSION_LOCK ? "session locked" : "session change");
        if (wparam != WTS_SESSION_LOCK)
            restart_hook("a session change");
        return 0;
    case WM_POWERBROADCAST:
        if (wparam == PBT_APMSUSPEND)
            release_all("suspend");
        else if (wparam == PBT_APMRESUMEAUTOMATIC || wparam == PBT_APMRESUMESUSPEND)
            restart_hook("resume"); // the tracker was emptied at suspend
        return TRUE;
    case WM_DEVICECHANGE: {
        // A disc went in or out: the CD keys may change hands. Other volumes
        // (USB sticks, network drives) are none of the CD keys' business.
        const auto* volume = reinterpret_cast<const DEV_BROADCAST_VOLUME*>(lparam);
        if ((wparam == DBT_DEVICEARRIVAL || wparam == DBT_DEVICEREMOVECOMPLETE) && volume &&
            volume->dbcv_devicetype == DBT_DEVTYP_VOLUME && (volume->dbcv_flags & DBTF_MEDIA))
            disc_watch_.changed(volume->dbcv_unitmask);
        return TRUE;
    }
    case WM_TIMER:
        if (wparam == kKeyWatchTimer) {
            watch_keys();
            return 0;
        }
        if (tray_.on_timer(wparam))
            return 0;
        break;
    case kTrayVolumeMessage:
        tray_.show_volume(static_cast<int>(wparam), lparam != 0);
        return 0;
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
