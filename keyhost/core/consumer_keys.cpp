#include "core/consumer_keys.h"

#include <algorithm>
#include <climits>

namespace keyhost {
namespace {

struct VirtualKeyRow {
    std::uint32_t virtual_key;
    std::uint32_t code;
};

// VK_* values as winuser.h defines them, beside the usage Windows makes each
// from (HID usage tables, consumer page).
constexpr VirtualKeyRow kVirtualKeys[] = {
    {0xAD, kMute},       // VK_VOLUME_MUTE
    {0xAE, kVolumeDown}, // VK_VOLUME_DOWN
    {0xAF, kVolumeUp},   // VK_VOLUME_UP
    {0xB0, 0xB5},        // VK_MEDIA_NEXT_TRACK
    {0xB1, 0xB6},        // VK_MEDIA_PREV_TRACK
    {0xB2, 0xB7},        // VK_MEDIA_STOP
    {0xB3, 0xCD},        // VK_MEDIA_PLAY_PAUSE
    {0xB4, 0x18A},       // VK_LAUNCH_MAIL
    {0xB7, 0x192},       // VK_LAUNCH_APP2 (calculator)
    {0xAC, 0x223},       // VK_BROWSER_HOME
};

int clamp_steps(std::int64_t steps)
{
    if (steps > kMaxDialSteps)
        return kMaxDialSteps;
    if (steps < -kMaxDialSteps)
        return -kMaxDialSteps;
    return static_cast<int>(steps);
}

} // namespace

std::uint32_t code_of_usage(std::uint16_t page, std::uint16_t usage)
{
    if (page == kConsumerPage)
        return usage < 0x8000 && usage != kVolumeDialUsage ? usage : 0;
    if ((page == kGenericDesktopPage && usage == 0xA9) || (page == kTelephonyPage && usage == 0x2F))
        return kMicMuteCode;
    return 0;
}

std::uint32_t code_of_virtual_key(std::uint32_t virtual_key)
{
    for (const VirtualKeyRow& row : kVirtualKeys)
        if (row.virtual_key == virtual_key)
            return row.code;
    return 0;
}

std::uint32_t virtual_key_of_code(std::uint32_t code)
{
    for (const VirtualKeyRow& row : kVirtualKeys)
        if (row.code == code && code != 0)
            return row.virtual_key;
    return 0;
}

bool is_cd_key(std::uint32_t code)
{
    switch (code) {
    case 0xB0: case 0xB1: case 0xB5: case 0xB6: case 0xB7: case 0xCD: return true;
    default: return false;
    }
}

bool host_takes(std::uint32_t code, bool disc_for_cd_keys)
{
    return code != 0 && (disc_for_cd_keys || !is_cd_key(code));
}

std::int32_t dial_value(std::uint32_t raw, std::uint16_t bits, bool is_signed)
{
    if (bits == 0 || bits > 32)
        bits = 32;
    std::int64_t value = raw & ((std::uint64_t{1} << bits) - 1);
    if (is_signed && ((value >> (bits - 1)) & 1))
        value -= std::int64_t{1} << bits;
    return static_cast<std::int32_t>(std::min<std::int64_t>(value, INT32_MAX));
}

int dial_steps(const DialReading& reading, std::optional<std::int32_t>& previous)
{
    if (reading.relative)
        return clamp_steps(reading.value);
    const std::optional<std::int32_t> last = previous;
    previous = reading.value;
    return last ? clamp_steps(static_cast<std::int64_t>(reading.value) - *last) : 0;
}

} // namespace keyhost
