// The keys as the host sees them: HID usages of the keyboard's collections
// turned into the function table's codes, the virtual keys Windows makes of
// the same keys, which keys the host acts on and which stay Windows' own,
// and the steps of a volume dial. Portable: no Windows header.
#pragma once
#include <cstdint>
#include <optional>

namespace keyhost {

inline constexpr std::uint16_t kGenericDesktopPage = 0x01;
inline constexpr std::uint16_t kTelephonyPage = 0x0B;
inline constexpr std::uint16_t kConsumerPage = 0x0C;
inline constexpr std::uint16_t kVolumeDialUsage = 0xE0; // Consumer "Volume", a value

inline constexpr std::uint32_t kVolumeUp = 0xE9;
inline constexpr std::uint32_t kVolumeDown = 0xEA;
inline constexpr std::uint32_t kMute = 0xE2;
// The microphone-mute key. Keyboards send Generic Desktop "System Microphone
// Mute" (0xA9) or Telephony "Phone Mute" (0x2F); the code lies outside the
// function table's codes, so only the host acts on it.
inline constexpr std::uint32_t kMicMuteCode = 0x000100A9;

// The code of a pressed HID button usage; 0 for usages the host ignores.
std::uint32_t code_of_usage(std::uint16_t page, std::uint16_t usage);

// The function-table code of a virtual key that Windows makes from a consumer
// key, for the rows that act on a press (volume, mute, the CD keys, mail,
// calculator, home page); 0 for every other key, which stays Windows' own.
std::uint32_t code_of_virtual_key(std::uint32_t virtual_key);
// The virtual key Windows makes of `code`; 0 when it makes none.
std::uint32_t virtual_key_of_code(std::uint32_t code);

// Play, Pause, Play/Pause, Stop, Next and Previous Track.
bool is_cd_key(std::uint32_t code);

// Whether the host acts on `code`. The CD keys act only when a drive holds a
// disc the CD functions play; otherwise they go on to Windows' own media
// handling, so a player the user runs elsewhere still gets them.
bool host_takes(std::uint32_t code, bool disc_for_cd_keys);

// A "Volume" field's raw bits as a number: the low `bits` bits of `raw` (a
// width of 0 or above 32 counts as 32), in two's complement when the field's
// logical minimum is negative; held within the int32 range.
std::int32_t dial_value(std::uint32_t raw, std::uint16_t bits, bool is_signed);

// A "Volume" value of one report: a relative dial reports its movement, an
// absolute control its position.
struct DialReading {
    bool relative = true;
    std::int32_t value = 0;
};
inline constexpr int kMaxDialSteps = 10;

// Volume steps for one report (positive = up), at most kMaxDialSteps either
// way. `previous` is the device's last absolute position (none before its
// first report) and is updated.
int dial_steps(const DialReading& reading, std::optional<std::int32_t>& previous);

} // namespace keyhost
