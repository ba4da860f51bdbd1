// Raw Input of the keyboard's consumer-control keys (usage page 0x0C) and of
// the lock keys, turned into press/release events for the host.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>

namespace keyhost {

enum class LockKey;

struct RawInputSink {
    std::function<void(std::uint32_t code, bool pressed)> key;
    std::function<void(LockKey key, bool on)> lock;
};

// Registers for consumer-control and keyboard input with RIDEV_INPUTSINK,
// so keys arrive while another program has the focus. Returns whether the
// consumer page could be registered; without it the consumer keys do not
// reach the host (its window is hidden, so no WM_APPCOMMAND comes to it).
bool register_raw_input(HWND window);

// Handles one WM_INPUT message.
void handle_raw_input(HRAWINPUT input, const RawInputSink& sink);

// The consumer usage of a WM_APPCOMMAND command, 0 when none; used only for
// commands sent to the host window directly.
std::uint32_t usage_of_app_command(int command);

} // namespace keyhost
