// What the hook thread, the UI thread and the action thread share about the
// keys: each field is written by one thread and read by the others, so a key
// is decided with one disc state and one view of the action thread.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

namespace keyhost {

struct SharedKeyState {
    // A drive holds a disc the CD functions play (written by the disc check).
    std::atomic<bool> disc{false};
    // When the action thread picked up its current work; 0 while it waits
    // (written by the action thread).
    std::atomic<std::uint64_t> busy_since{0};
    // Per virtual key: when the hook last saw it go down (written by the hook).
    std::atomic<std::uint64_t> hook_seen[256] = {};
};

inline SharedKeyState& key_state()
{
    static SharedKeyState state;
    return state;
}

inline std::uint64_t now_ms() { return GetTickCount64(); }

// dwExtraInfo of the keys keyhost gives back to Windows with SendInput: the
// hook lets them through and Raw Input's keystroke carries it as well, so
// they are neither taken again nor counted against the hook.
inline constexpr ULONG_PTR kGivenBackMark = 0x564B4842; // "VKHB"

} // namespace keyhost
