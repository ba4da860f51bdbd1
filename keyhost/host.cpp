#include "host.h"

#include <dbt.h>
#include <mmsystem.h>
#include <wtsapi32.h>

#include <cstdarg>

#include "input/cd_disc.h"
#include "core/consumer_keys.h"

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

    actions_.start(window_);
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
        actions_.key(key, true, 0);
        actions_.key(key, false, 0);
    }
}

// The changes are a local copy: a key function may show a message box whose
// loop brings further input in before this returns.
void Host::apply(const std::vector<KeyChange>& changes)
{
    for (const KeyChange& change : changes) {
        if (change.code == kMicMuteCode) {
            if (change.pressed)
                actions_.toggle_mic();
        } else if (host_takes(change.code, disc_for_cd_keys_)) {
            actions_.key(change.code, change.pressed, 0);
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
    actions_.finish();
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
        tray_.balloon("Multimedia keyboard", "keyhost is already running.");
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
                actions_.lock(key, (GetKeyState(keys[static_cast<int>(key)]) & 1) != 0);
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
        actions_.mixer_changed();
        return 0;
    }
    case WM_TIMER:
        if (wparam == kVolumeFollowTimer) {
            actions_.follow_volume();
            return 0;
        }
        if (wparam == kTrayRetryTimer) {
            tray_.retry();
            return 0;
        }
        break;
    case kTrayMessage:
        if (lparam == WM_RBUTTONUP || lparam == WM_CONTEXTMENU)
            show_menu();
        return 0;
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
