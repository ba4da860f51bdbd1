// Finding the first CD-ROM device on an ASPI bus, whichever library (the
// system's or the emulation) answers. Portable: no Windows header.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>

#include "core/scsi_commands.h"

namespace vx::aspi {

// Walks adapters, targets (the adapter's maximum, 0 meaning 8) and LUNs 0-7
// in order and returns the first device whose type is CD-ROM.
std::optional<DeviceAddress> find_first_cdrom(const std::function<std::uint32_t()>& support_info,
                                              const std::function<std::uint32_t(void*)>& send);

} // namespace vx::aspi
