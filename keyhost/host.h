// The reference hot-key host: receives the keyboard's consumer keys (Raw
// Input reports and the virtual keys Windows makes of them) and lock keys,
// runs each key's function through VXUtil's function table once and shows
// feedback through VXOSD. Real input and the replay script meet at the key
// tracker: a replay exercises everything from there on (the function table,
// the mixer, the displays), not the Raw Input decoding before it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

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
};

inline constexpr char kWindowClass[] = "VXKeyHostWindow";
inline constexpr UINT kTrayMessage = WM_APP + 1;
// Message posted when the replay should take its next step.
inline constexpr UINT kReplayStepMessage = WM_APP + 2;
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

    // A key of the replay script, tracked like real input.
    void replay_key(std::uint32_t code, bool pressed);
    void on_lock(LockKey key, bool on);
    // The microphone indicator showing `on` (muted) or off.
    void on_mic(bool on);
    // A text of the replay, shown as the display's text.
    void show_text(const std::string& text);
    // A display mode change of the replay: `width` by `height`, or with 0 by
    // 0 the display's next mode. It lasts until keyhost ends.
    void change_screen(std::uint32_t width, std::uint32_t height);
    // The exit code the message loop ends with.
    void set_exit_code(int code) { exit_code_ = code; }

    HWND window() const { return window_; }
    const Options& options() const { return options_; }
    // The folder of the log, where screenshots go too.
    const std::string& out_dir() const { return log_.folder(); }
    void log(const char* format, ...);

    // Milliseconds from a volume key event to its display being installed,
    // for the latest volume keys (a bounded record).
    std::vector<double> volume_latencies() const { return latencies_.values(); }

private:
    static LRESULT CALLBACK window_proc(HWND, UINT, WPARAM, LPARAM);
    static void CALLBACK on_desktop_switch(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD);
    LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam);
    bool handle_registered(UINT message);
    void start_input();
    void apply(const std::vector<KeyChange>& changes);
    void on_key(std::uint32_t code, bool pressed);
    void on_report(Source source, std::span<const std::uint32_t> codes, int dial_steps);
    void release_all(const char* why);
    void refresh_disc();
    void show_volume();
    bool volume_changed() const;
    bool display_visible() const;
    void press_mic();
    void show_menu(POINT at);
    void on_command(UINT command);
    void finish();

    Options options_;
    HWND window_ = nullptr;
    HostLog log_;
    KeyTracker tracker_;
    RawInputReader raw_input_;
    KeyboardHook hook_;
    TrayIcon tray_;
    AnnouncementLog announcements_;
    HWINEVENTHOOK desktop_switch_ = nullptr;
    bool consumer_raw_input_ = false;
    bool disc_for_cd_keys_ = false;
    bool menu_open_ = false;
    int shown_level_ = -1; // the volume display's level and mute as last shown
    int shown_mute_ = -1;
    int exit_code_ = 0;
    bool screen_changed_ = false;
    std::uint32_t next_mode_ = 0; // the display's mode list, cycled by change_screen
    LatencyRecord latencies_;
    LARGE_INTEGER frequency_{};
};

} // namespace keyhost
