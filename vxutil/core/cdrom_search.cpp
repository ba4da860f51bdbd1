#include "core/cdrom_search.h"

namespace vx::aspi {

std::optional<DeviceAddress> find_first_cdrom(const std::function<std::uint32_t()>& support_info,
                                              const std::function<std::uint32_t(void*)>& send)
{
    const std::uint32_t info = support_info();
    const std::uint8_t status = static_cast<std::uint8_t>(info >> 8);
    const unsigned adapters = (status == kStatusComplete || status == kStatusNoAdapters) ? (info & 0xFF) : 0;
    for (unsigned a = 0; a < adapters; ++a) {
        Srb inquiry{};
        inquiry.header.command = kHostAdapterInquiry;
        inquiry.header.adapter = static_cast<std::uint8_t>(a);
        send(&inquiry);
        // Only an answered inquiry tells the target count; otherwise the
        // adapter is not searched.
        if (inquiry.header.status != kStatusComplete)
            continue;
        unsigned targets = inquiry.inquiry.unique[3];
        if (targets == 0)
            targets = 8;
        for (unsigned t = 0; t < targets; ++t) {
            for (unsigned l = 0; l < 8; ++l) {
                Srb device{};
                device.header.command = kGetDeviceType;
                device.header.adapter = static_cast<std::uint8_t>(a);
                device.device.target = static_cast<std::uint8_t>(t);
                device.device.lun = static_cast<std::uint8_t>(l);
                send(&device);
                if (device.header.status == kStatusComplete && device.device.device_type == kDeviceTypeCdrom)
                    return DeviceAddress{static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(t),
                                         static_cast<std::uint8_t>(l)};
            }
        }
    }
    return std::nullopt;
}

} // namespace vx::aspi
