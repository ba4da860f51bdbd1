// What a key does: every call into VXUtil and VXOSD that a key, a lock key,
// a replay text or a screen change makes, and the volume display that follows
// the mixer. One object, used from one thread only (the thread that owns the
// mixer's callback window and the displays' windows).
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "core/latency_record.h"
#include "core/replay_script.h"

namespace keyhost {

class Host;

inline constexpr UINT_PTR kVolumeFollowTimer = 1;

class KeyActions {
public:
    explicit KeyActions(Host& host) : host_(host) {}

    // Opens the profile, the mixer (whose notices go to `window`) and the
    // displays; `window` belongs to the calling thread.
    void start(HWND window);
    // Ends a volume repeat and destroys the displays.
    void finish();

    // Runs the function of `code`; returns the function's result (0: it did
    // nothing). `posted` is the key event's QueryPerformanceCounter time.
    int key(std::uint32_t code, bool pressed, std::int64_t posted);
    void lock(LockKey key, bool on);
    void mic(bool on);
    void toggle_mic();
    void text(const std::string& text);
    void change_screen(std::uint32_t width, std::uint32_t height);
    // The mixer's change notice, and the follow timer of a held volume key.
    void mixer_changed();
    void follow_volume();

    std::vector<double> volume_latencies() const { return latencies_.values(); }

private:
    void show_volume();
    bool volume_changed() const;
    bool display_visible() const;
    // The tray's tooltip follows the volume shown (the tray is the UI thread's).
    void tell_tray() const;

    Host& host_;
    HWND window_ = nullptr;
    int shown_level_ = -1; // the volume display's level and mute as last shown
    int shown_mute_ = -1;
    bool screen_changed_ = false;
    std::uint32_t next_mode_ = 0; // the display's mode list, cycled by change_screen
    LatencyRecord latencies_;
    LARGE_INTEGER frequency_{};
};

} // namespace keyhost
