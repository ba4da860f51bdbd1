// The SCSI path to the optical drive: the system's ASPI library or the
// built-in emulation over SCSI pass-through.
#pragma once
#include "core/aspi_emulation.h"
#include "core/scsi_commands.h"

namespace vx::aspi {

// The first CD-ROM device found by InitAspi, if any.
bool device_found();
DeviceAddress found_device();
// True while the system's ASPI library (not the emulation) is bound.
bool library_loaded();

// The emulation's drives reached through the optical-drive seam.
ScsiDevices& windows_devices();

} // namespace vx::aspi
