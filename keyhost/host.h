// The hot-key host: receives the keyboard's consumer keys (Raw Input reports
// and the virtual keys Windows makes of them) and lock keys, runs each key's
// function through VXUtil's function table once and shows feedback through
// VXOSD. Three threads: the hook thread decides and posts; the UI thread
// (this object's window) owns the tray, Raw Input and the system's notices
// and decides what each key change does; the action thread runs every key
// function and display. Neither the hook nor the UI thread waits on the
// action thread: a key it cannot take in time goes back to Windows. A replay
// runs on the action thread and calls the key functions directly.
#pragma once
#include <windows.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "actions/key_actions.h"
#include "actions/action_thread.h"
#include "core/key_path.h"
#include "input/cd_disc.h"
#include "log/announcements.h"
#include "core/key_tracker.h"
#include "core/latency_record.h"
#include "core/replay_script.h"
#include "log/host_log.h"
#include "input/keyboard_hook.h"
#include "input/raw_input.h"
#include "shell/tray_icon.h"

namespace keyhost {

struct Options {
    std::string replay;          // replay script; empty = interactive
    std::string out_dir;         // log and screenshots; empty = the user's local application data
    bool classic_volume = false; // OSD_ShowVolume instead of OSD_ShowVolumeEx
    // Read each announcement back as a screen reader would and log it. The
    // soak leaves it out: Wine's accessibility marshalling keeps about
    // 1.5 KiB per object fetched, which would hide keyhost's own figures.
    bool log_announcements = true;
    // A person's session: the first start's balloon says where keyhost is.
    // Replays and the soak are scripted and leave it out.
    bool interactive = true;
};

inline constexpr char kWindowClass[] = "VXKeyHostWindow";
inline constexpr UINT kTrayMessage = WM_APP + 1;
// Posted by the action thread after a key press ran: wParam the code,
// lParam the function's result.
inline constexpr UINT kKeyDoneMessage = WM_APP + 5;
// The volume and mute the display showed, for the tray's tooltip (wParam the
// level, lParam 1 when muted); the action thread posts it to the UI thread.
inline constexpr UINT kTrayVolumeMessage = WM_APP + 6;
// The UI thread's check of held keys, late work and the hook, while there is
// something to check.
inline constexpr UINT_PTR kKeyWatchTimer = 3;
inline constexpr UINT kKeyWatchMs = 100;
// Registered message a second start of keyhost sends to the running one.
inline constexpr char kAnotherStartMessage[] = "VXKeyHost.AnotherStart";

// Menu commands; WM_COMMAND with these ids runs them as the menu does.
enum MenuCommand : UINT {
    kMenuAutostart = 100,
    kMenuFont,
    kMenuMonitorPrimary, // "Monitor" 0, 1, 2 in this order
    kMenuMonitorActive,
    kMenuMonitorPointer,
    kMenuFullScreen,
    kMenuAnnounce,
    kMenuExit,
};

class Host {
public:
    explicit Host(Options options) : options_(std::move(options)) {}
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    bool start(HINSTANCE instance);
    int run_message_loop();

    // Replay steps, called on the action thread (see on_actions): a key of
    // the script tracked like real input, a lock key, the microphone, a text
    // shown as the display's text, and a display mode change (`width` by
    // `height`, or with 0 by 0 the display's next mode, lasting until
    // keyhost ends).
    void replay_key(std::uint32_t code, bool pressed);
    void on_lock(LockKey key, bool on);
    // The microphone indicator showing `on` (muted) or off.
    void on_mic(bool on);
    void show_text(const std::string& text);
    void change_screen(std::uint32_t width, std::uint32_t height);
    // Runs `call` on the action thread.
    void on_actions(ActionThread::Call call) { action_thread_.post(std::move(call)); }
    // Ends keyhost from any thread.
    void end() { PostMessageA(window_, WM_CLOSE, 0, 0); }
    // The exit code the message loop ends with.
    void set_exit_code(int code) { exit_code_ = code; }
    // Removes the keyboard hook as Windows does when it gives up on one
    // (for tests: keyhost must notice and install it again).
    void drop_hook() { hook_.drop(); }

    HWND window() const { return window_; }
    const Options& options() const { return options_; }
    // The folder of the log, where screenshots go too.
    const std::string& out_dir() const { return log_.folder(); }
    // Writes a line to the log and stdout; from any thread.
    void log(const char* format, ...);

    // Milliseconds from a volume key event to its display being installed,
    // for the latest volume keys (a bounded record).
    std::vector<double> volume_latencies() const;

private:
    static LRESULT CALLBACK window_proc(HWND, UINT, WPARAM, LPARAM);
    static void CALLBACK on_desktop_switch(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD);
    LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam);
    bool handle_registered(UINT message);
    bool handle_action_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void start_input();
    void allow_through_uipi();
    void restart_hook(const char* why);
    void show_menu(POINT at);
    void on_command(UINT command);
    void finish();

    // The UI thread's key decisions (host_keys.cpp).
    RawInputSink raw_input_sink();
    void on_report(Source source, std::span<const std::uint32_t> codes, int dial_steps);
    void on_hook_key(std::uint32_t virtual_key, bool down);
    void apply(const std::vector<KeyChange>& changes, bool decided_by_hook);
    void queue_key(std::uint32_t code, bool pressed);
    void run_key(const KeyWork& work);
    void on_key_done(std::uint32_t code, int result);
    void give_back(std::uint32_t code, bool down);
    void release_all(const char* why);
    void watch_keys();
    void arm_watch();

    Options options_;
    HWND window_ = nullptr;
    HostLog log_;
    std::mutex log_lock_;
    KeyTracker tracker_;
    RawInputReader raw_input_;
    KeyboardHook hook_;
    TrayIcon tray_;
    AnnouncementLog announcements_;
    DiscWatch disc_watch_;
    HWINEVENTHOOK desktop_switch_ = nullptr;
    bool consumer_raw_input_ = false;
    bool menu_open_ = false;
    int exit_code_ = 0;

    // UI thread: the codes whose press went to the action thread, with when;
    // the codes whose press went back to Windows, whose release follows it
    // there; the codes ended by the hold limit, until their real release;
    // the presses the hook took, until their function answered; and the
    // keys held through the hook.
    std::map<std::uint32_t, std::uint64_t> acting_;
    std::set<std::uint32_t> given_back_;
    std::set<std::uint32_t> ended_;
    std::set<std::uint32_t> hook_took_;
    std::map<std::uint32_t, HookHold> hook_holds_;
    HookWatch hook_watch_;
    std::uint64_t repeat_window_ = 0;
    bool watching_ = false;

    // Action thread.
    ActionThread action_thread_;
    KeyActions actions_{*this};
    KeyTracker replay_tracker_;
};

} // namespace keyhost
