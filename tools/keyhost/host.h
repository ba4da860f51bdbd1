// The reference hot-key host: receives the keyboard's consumer-page keys and
// lock keys, runs each key's function through VXUtil's function table and
// shows feedback through VXOSD. Real input and the replay script meet at
// on_key / on_lock / on_mic: a replay exercises everything from there on (the
// function table, the mixer, the displays), not the Raw Input decoding before.
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/replay_script.h"

namespace keyhost {

struct Options {
    std::string replay;        // replay script; empty = interactive
    std::string out_dir = "out";
    bool classic_volume = false; // OSD_ShowVolume instead of OSD_ShowVolumeEx
};

class Host {
public:
    explicit Host(Options options) : options_(std::move(options)) {}
    ~Host();

    bool start(HINSTANCE instance);
    int run_message_loop();

    void on_key(std::uint32_t code, bool pressed);
    void on_lock(LockKey key, bool on);
    void on_mic(bool on);

    HWND window() const { return window_; }
    const Options& options() const { return options_; }
    void log(const char* format, ...);

    // Milliseconds from a volume key event to its display being installed.
    const std::vector<double>& volume_latencies() const { return latencies_; }

private:
    static LRESULT CALLBACK window_proc(HWND, UINT, WPARAM, LPARAM);
    LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam);
    void show_volume();
    void show_menu();
    void finish();

    Options options_;
    HWND window_ = nullptr;
    FILE* log_ = nullptr;
    bool consumer_raw_input_ = false;
    std::vector<double> latencies_;
    LARGE_INTEGER frequency_{};
};

// Message posted when the replay should take its next step.
inline constexpr UINT kReplayStepMessage = WM_APP + 2;
inline constexpr UINT kTrayMessage = WM_APP + 1;

} // namespace keyhost
