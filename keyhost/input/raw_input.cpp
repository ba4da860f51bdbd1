#include "raw_input.h"

// MinGW's HID headers declare C functions without extern "C".
extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}

#include <optional>

#include "core/consumer_keys.h"

namespace keyhost {
namespace {

constexpr USHORT kConsumerControl = 0x01;
constexpr USHORT kSystemControl = 0x80;
constexpr USHORT kKeyboard = 0x06;
constexpr UINT kMaxReportBytes = 65536;

bool register_collections(DWORD flags, HWND window)
{
    RAWINPUTDEVICE devices[] = {
        {kConsumerPage, kConsumerControl, flags, window},
        {kGenericDesktopPage, kSystemControl, flags, window},
        {kGenericDesktopPage, kKeyboard, flags, window},
    };
    bool consumer = RegisterRawInputDevices(devices, 1, sizeof devices[0]) != FALSE;
    RegisterRawInputDevices(devices + 1, 2, sizeof devices[0]);
    return consumer;
}

} // namespace

// What a device's reports look like, from its report descriptor.
struct RawInputReader::Device {
    std::vector<BYTE> preparsed;
    std::vector<USAGE_AND_PAGE> usages; // room for every button usage at once
    bool report_ids = false;
    bool dial = false;          // a consumer "Volume" value
    bool dial_relative = true;
    bool dial_signed = false;
    USHORT dial_bits = 0;
    std::optional<std::int32_t> dial_previous;

    PHIDP_PREPARSED_DATA data() { return reinterpret_cast<PHIDP_PREPARSED_DATA>(preparsed.data()); }
};

RawInputReader::RawInputReader() = default;
RawInputReader::~RawInputReader() = default;

void RawInputReader::forget(HANDLE device) { devices_.erase(device); }

bool register_raw_input(HWND window) { return register_collections(RIDEV_INPUTSINK | RIDEV_DEVNOTIFY, window); }

void unregister_raw_input() { register_collections(RIDEV_REMOVE, nullptr); }

RawInputReader::Device* RawInputReader::device_for(HANDLE handle, const RawInputSink& sink)
{
    if (auto it = devices_.find(handle); it != devices_.end())
        return it->second.get();
    auto device = std::make_unique<Device>();
    UINT size = 0;
    if (GetRawInputDeviceInfoA(handle, RIDI_PREPARSEDDATA, nullptr, &size) != 0 || size == 0 || size > kMaxReportBytes)
        return nullptr;
    device->preparsed.resize(size);
    if (GetRawInputDeviceInfoA(handle, RIDI_PREPARSEDDATA, device->preparsed.data(), &size) == static_cast<UINT>(-1))
        return nullptr;
    HIDP_CAPS caps{};
    if (HidP_GetCaps(device->data(), &caps) != HIDP_STATUS_SUCCESS)
        return nullptr;
    device->usages.resize(HidP_MaxUsageListLength(HidP_Input, 0, device->data()) + 1);

    std::vector<HIDP_BUTTON_CAPS> buttons(caps.NumberInputButtonCaps);
    USHORT count = caps.NumberInputButtonCaps;
    if (count && HidP_GetButtonCaps(HidP_Input, buttons.data(), &count, device->data()) == HIDP_STATUS_SUCCESS)
        for (USHORT i = 0; i < count; ++i)
            device->report_ids |= buttons[i].ReportID != 0;
    std::vector<HIDP_VALUE_CAPS> values(caps.NumberInputValueCaps);
    count = caps.NumberInputValueCaps;
    if (count && HidP_GetValueCaps(HidP_Input, values.data(), &count, device->data()) == HIDP_STATUS_SUCCESS) {
        for (USHORT i = 0; i < count; ++i) {
            const HIDP_VALUE_CAPS& v = values[i];
            device->report_ids |= v.ReportID != 0;
            const USAGE first = v.IsRange ? v.Range.UsageMin : v.NotRange.Usage;
            const USAGE last = v.IsRange ? v.Range.UsageMax : v.NotRange.Usage;
            if (v.UsagePage == kConsumerPage && first <= kVolumeDialUsage && kVolumeDialUsage <= last) {
                device->dial = true;
                device->dial_relative = !v.IsAbsolute;
                device->dial_signed = v.LogicalMin < 0;
                device->dial_bits = v.BitSize;
            }
        }
    }
    // A keyboard is plugged in once, so the table stays small; when it is
    // full, a device that holds no key makes room.
    if (devices_.size() >= kMaxDevices) {
        auto idle = devices_.begin();
        while (idle != devices_.end() && sink.holds_keys(device_id(idle->first)))
            ++idle;
        if (idle == devices_.end())
            return nullptr;
        devices_.erase(idle);
    }
    return devices_.emplace(handle, std::move(device)).first->second.get();
}

void RawInputReader::read_hid(const RAWINPUT& raw, const RawInputSink& sink)
{
    Device* device = device_for(raw.header.hDevice, sink);
    const std::uint64_t id = device_id(raw.header.hDevice);
    if (!device) {
        sink.lost(id);
        return;
    }
    const RAWHID& hid = raw.data.hid;
    for (DWORD r = 0; r < hid.dwCount; ++r) {
        auto* report = const_cast<CHAR*>(reinterpret_cast<const CHAR*>(hid.bRawData + r * hid.dwSizeHid));
        ULONG count = static_cast<ULONG>(device->usages.size());
        const NTSTATUS status =
            HidP_GetUsagesEx(HidP_Input, 0, device->usages.data(), &count, device->data(), report, hid.dwSizeHid);
        if (status == HIDP_STATUS_INCOMPATIBLE_REPORT_ID || status == HIDP_STATUS_USAGE_NOT_FOUND) {
            count = 0; // a report ID without buttons
        } else if (status != HIDP_STATUS_SUCCESS) {
            sink.lost(id);
            return;
        }
        std::vector<std::uint32_t> codes;
        for (ULONG i = 0; i < count; ++i)
            if (const std::uint32_t code = code_of_usage(device->usages[i].UsagePage, device->usages[i].Usage))
                codes.push_back(code);
        int steps = 0;
        ULONG value = 0;
        if (device->dial && HidP_GetUsageValue(HidP_Input, kConsumerPage, 0, kVolumeDialUsage, &value, device->data(),
                                               report, hid.dwSizeHid) == HIDP_STATUS_SUCCESS) {
            const std::int32_t dial = dial_value(value, device->dial_bits, device->dial_signed);
            steps = dial_steps({device->dial_relative, dial}, device->dial_previous);
        }
        const std::uint32_t report_id = device->report_ids && hid.dwSizeHid > 0 ? static_cast<BYTE>(report[0]) : 0;
        sink.report(Source{id, report_id}, codes, steps);
    }
}

void RawInputReader::read_keyboard(const RAWKEYBOARD& keyboard, const RawInputSink& sink)
{
    int index = 0;
    switch (keyboard.VKey) {
    case VK_CAPITAL: index = 0; break;
    case VK_NUMLOCK: index = 1; break;
    case VK_SCROLL: index = 2; break;
    default:
        if (!(keyboard.Flags & RI_KEY_BREAK) && sink.keystroke)
            sink.keystroke(keyboard.VKey, keyboard.ExtraInformation);
        return;
    }
    const bool released = (keyboard.Flags & RI_KEY_BREAK) != 0;
    const bool repeat = !released && lock_down_[index];
    lock_down_[index] = !released;
    if (!released && !repeat)
        sink.lock(static_cast<LockKey>(index));
}

void RawInputReader::read(HRAWINPUT input, const RawInputSink& sink)
{
    // An input that cannot be read may have been a release: its device, and
    // so every key, counts as lost.
    UINT size = 0;
    if (GetRawInputData(input, RID_INPUT, nullptr, &size, sizeof(RAWINPUTHEADER)) != 0 || size < sizeof(RAWINPUTHEADER) ||
        size > kMaxReportBytes) {
        sink.lost(0);
        return;
    }
    // RAWINPUT's alignment, so the structure can be read in place.
    std::vector<std::uint64_t> buffer((size + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t));
    if (GetRawInputData(input, RID_INPUT, buffer.data(), &size, sizeof(RAWINPUTHEADER)) != size) {
        sink.lost(0);
        return;
    }
    const auto& raw = *reinterpret_cast<const RAWINPUT*>(buffer.data());
    if (raw.header.dwType == RIM_TYPEHID && raw.header.hDevice) {
        // In 64 bits: the product of two DWORDs overflows a 32-bit size_t.
        const std::uint64_t needed = offsetof(RAWINPUT, data.hid.bRawData) +
                                     std::uint64_t{raw.data.hid.dwSizeHid} * raw.data.hid.dwCount;
        if (needed <= size)
            read_hid(raw, sink);
        else
            sink.lost(device_id(raw.header.hDevice));
    } else if (raw.header.dwType == RIM_TYPEKEYBOARD) {
        read_keyboard(raw.data.keyboard, sink);
    }
}

} // namespace keyhost
