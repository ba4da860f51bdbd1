#include "raw_input.h"

// MinGW's HID headers declare C functions without extern "C".
extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}

#include <algorithm>
#include <map>
#include <vector>

#include "core/replay_script.h"

namespace keyhost {
namespace {

constexpr USHORT kConsumerPage = 0x0C;
constexpr USHORT kConsumerControl = 0x01;
constexpr USHORT kGenericDesktopPage = 0x01;
constexpr USHORT kKeyboard = 0x06;
constexpr ULONG kMaxUsages = 32;

// Per device: its parsed report descriptor and the usages down right now.
struct ConsumerDevice {
    std::vector<BYTE> preparsed;
    std::vector<USAGE> down;
};

std::map<HANDLE, ConsumerDevice>& devices()
{
    static std::map<HANDLE, ConsumerDevice> d;
    return d;
}

ConsumerDevice* device_for(HANDLE handle)
{
    auto& all = devices();
    auto it = all.find(handle);
    if (it != all.end())
        return &it->second;
    UINT size = 0;
    if (GetRawInputDeviceInfoA(handle, RIDI_PREPARSEDDATA, nullptr, &size) != 0 || size == 0 || size > 65536)
        return nullptr;
    ConsumerDevice device;
    device.preparsed.resize(size);
    if (GetRawInputDeviceInfoA(handle, RIDI_PREPARSEDDATA, device.preparsed.data(), &size) == static_cast<UINT>(-1))
        return nullptr;
    // A keyboard is plugged in once; a bounded table is enough.
    if (all.size() >= 64)
        all.clear();
    return &all.emplace(handle, std::move(device)).first->second;
}

void handle_consumer_report(const RAWINPUT& raw, const RawInputSink& sink)
{
    ConsumerDevice* device = device_for(raw.header.hDevice);
    if (!device)
        return;
    const RAWHID& hid = raw.data.hid;
    auto* preparsed = reinterpret_cast<PHIDP_PREPARSED_DATA>(device->preparsed.data());
    for (DWORD r = 0; r < hid.dwCount; ++r) {
        auto* report = const_cast<CHAR*>(reinterpret_cast<const CHAR*>(hid.bRawData + r * hid.dwSizeHid));
        USAGE usages[kMaxUsages];
        ULONG count = kMaxUsages;
        if (HidP_GetUsages(HidP_Input, kConsumerPage, 0, usages, &count, preparsed, report, hid.dwSizeHid) !=
            HIDP_STATUS_SUCCESS)
            continue;
        std::vector<USAGE> now(usages, usages + count);
        for (USAGE u : device->down)
            if (std::find(now.begin(), now.end(), u) == now.end())
                sink.key(u, false);
        for (USAGE u : now)
            if (std::find(device->down.begin(), device->down.end(), u) == device->down.end())
                sink.key(u, true);
        device->down = std::move(now);
    }
}

// Lock keys toggle on each make; auto-repeated makes while held do not.
void handle_keyboard(const RAWKEYBOARD& kb, const RawInputSink& sink)
{
    static bool held[3] = {};
    static bool on[3] = {(GetKeyState(VK_CAPITAL) & 1) != 0, (GetKeyState(VK_NUMLOCK) & 1) != 0,
                         (GetKeyState(VK_SCROLL) & 1) != 0};
    int index = -1;
    LockKey key = LockKey::Caps;
    switch (kb.VKey) {
    case VK_CAPITAL: index = 0; key = LockKey::Caps; break;
    case VK_NUMLOCK: index = 1; key = LockKey::Num; break;
    case VK_SCROLL: index = 2; key = LockKey::Scroll; break;
    default: return;
    }
    const bool released = (kb.Flags & RI_KEY_BREAK) != 0;
    if (released) {
        held[index] = false;
        return;
    }
    if (held[index])
        return;
    held[index] = true;
    on[index] = !on[index];
    sink.lock(key, on[index]);
}

} // namespace

bool register_raw_input(HWND window)
{
    RAWINPUTDEVICE consumer{kConsumerPage, kConsumerControl, RIDEV_INPUTSINK, window};
    RAWINPUTDEVICE keyboard{kGenericDesktopPage, kKeyboard, RIDEV_INPUTSINK, window};
    const bool consumer_ok = RegisterRawInputDevices(&consumer, 1, sizeof consumer) != FALSE;
    RegisterRawInputDevices(&keyboard, 1, sizeof keyboard);
    return consumer_ok;
}

void handle_raw_input(HRAWINPUT input, const RawInputSink& sink)
{
    UINT size = 0;
    if (GetRawInputData(input, RID_INPUT, nullptr, &size, sizeof(RAWINPUTHEADER)) != 0 || size < sizeof(RAWINPUTHEADER) ||
        size > 65536)
        return;
    std::vector<BYTE> buffer(size);
    if (GetRawInputData(input, RID_INPUT, buffer.data(), &size, sizeof(RAWINPUTHEADER)) != size)
        return;
    const auto& raw = *reinterpret_cast<const RAWINPUT*>(buffer.data());
    if (raw.header.dwType == RIM_TYPEHID) {
        const std::size_t needed = offsetof(RAWINPUT, data.hid.bRawData) +
                                   static_cast<std::size_t>(raw.data.hid.dwSizeHid) * raw.data.hid.dwCount;
        if (needed <= size)
            handle_consumer_report(raw, sink);
    } else if (raw.header.dwType == RIM_TYPEKEYBOARD) {
        handle_keyboard(raw.data.keyboard, sink);
    }
}

std::uint32_t usage_of_app_command(int command)
{
    switch (command) {
    case APPCOMMAND_VOLUME_UP: return 0xE9;
    case APPCOMMAND_VOLUME_DOWN: return 0xEA;
    case APPCOMMAND_VOLUME_MUTE: return 0xE2;
    case APPCOMMAND_MEDIA_PLAY_PAUSE: return 0xCD;
    case APPCOMMAND_MEDIA_NEXTTRACK: return 0xB5;
    case APPCOMMAND_MEDIA_PREVIOUSTRACK: return 0xB6;
    case APPCOMMAND_MEDIA_STOP: return 0xB7;
    case APPCOMMAND_LAUNCH_MAIL: return 0x18A;
    case APPCOMMAND_LAUNCH_APP2: return 0x192;
    case APPCOMMAND_BROWSER_SEARCH: return 0x221;
    case APPCOMMAND_BROWSER_HOME: return 0x223;
    case APPCOMMAND_BROWSER_BACKWARD: return 0x224;
    case APPCOMMAND_BROWSER_FORWARD: return 0x225;
    case APPCOMMAND_BROWSER_STOP: return 0x226;
    case APPCOMMAND_BROWSER_REFRESH: return 0x227;
    case APPCOMMAND_BROWSER_FAVORITES: return 0x22A;
    default: return 0;
    }
}

} // namespace keyhost
