// Raw Input of the keyboard's consumer-control and system-control collections
// (HID reports, read per device and report ID) and of its lock keys.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <vector>

#include "core/key_tracker.h"
#include "core/replay_script.h"

namespace keyhost {

struct RawInputSink {
    // One report of a device: the codes down in it and the volume dial's steps.
    std::function<void(Source source, std::span<const std::uint32_t> codes, int dial_steps)> report;
    // A lock key went down (auto-repeats are left out).
    std::function<void(LockKey key)> lock;
    // Any other key of the keyboard collection went down: its virtual key
    // and the sender's extra information.
    std::function<void(std::uint32_t virtual_key, std::uint64_t extra)> keystroke;
    // A report of the device could not be read: what it holds is unknown.
    std::function<void(std::uint64_t device)> lost;
    // Whether a device holds keys; such a device is never dropped from the table.
    std::function<bool(std::uint64_t device)> holds_keys;
};

// Registers the consumer-control, system-control and keyboard collections
// with RIDEV_INPUTSINK (keys arrive while another program has the focus) and
// RIDEV_DEVNOTIFY (WM_INPUT_DEVICE_CHANGE on arrival and removal). Returns
// whether the consumer page could be registered.
bool register_raw_input(HWND window);
void unregister_raw_input();

inline std::uint64_t device_id(HANDLE device) { return reinterpret_cast<std::uintptr_t>(device); }

class RawInputReader {
public:
    RawInputReader();
    ~RawInputReader();
    // Handles one WM_INPUT message. The input is copied out first: the sink
    // may run a message loop that reads the next input before this returns.
    void read(HRAWINPUT input, const RawInputSink& sink);
    // Drops what is known of a removed device.
    void forget(HANDLE device);

    static constexpr std::size_t kMaxDevices = 64;

private:
    struct Device;
    Device* device_for(HANDLE handle, const RawInputSink& sink);
    void read_hid(const RAWINPUT& raw, const RawInputSink& sink);
    void read_keyboard(const RAWKEYBOARD& keyboard, const RawInputSink& sink);

    std::map<HANDLE, std::unique_ptr<Device>> devices_;
    bool lock_down_[3] = {};
};

} // namespace keyhost
