// ASPI for Win32 emulated on top of SCSI pass-through, for systems without an
// ASPI library: a table of the CD-ROM drives C: to Z: that answered an
// INQUIRY, grouped into adapters by their SCSI path id, and the ASPI
// commands answered from it. The drives themselves are reached through the
// ScsiDevices interface, so this file needs no Windows header.
#pragma once
#include <array>
#include <cstdint>

#include "core/srb_layout.h"

namespace vx::aspi {

inline constexpr std::uint32_t kErrorInvalidHandle = 6;   // ERROR_INVALID_HANDLE
inline constexpr std::uint32_t kErrorMediaChanged = 1110; // ERROR_MEDIA_CHANGED
inline constexpr std::intptr_t kNoHandle = -1;

enum class Direction : std::uint8_t { Out = 0, In = 1, Unspecified = 2 };

// One SCSI command passed through to a drive.
struct PassThrough {
    const std::uint8_t* cdb = nullptr;
    std::uint8_t cdb_length = 0;
    Direction direction = Direction::Unspecified;
    std::uint8_t* data = nullptr;
    std::uint32_t length = 0;
    std::uint32_t timeout_seconds = 0;
    // Filled in by the device on return: where the drive sits.
    std::uint8_t path_id = 0;
    std::uint8_t target_id = 0;
    std::uint8_t lun = 0;
};

class ScsiDevices {
public:
    virtual ~ScsiDevices() = default;
    // `letter` is 'A'..'Z'.
    virtual bool is_cdrom(char letter) = 0;
    virtual std::intptr_t open(char letter) = 0; // kNoHandle on failure
    virtual void close(std::intptr_t handle) = 0;
    // 0 on success, else the system error code.
    virtual std::uint32_t pass_through(std::intptr_t handle, PassThrough& request) = 0;
};

struct DriveEntry {
    std::uint8_t path_id = 0;
    std::uint8_t target_id = 0;
    std::uint8_t lun = 0;
    std::uint8_t drive_index = 0;
    std::uint32_t present = 0;
    std::intptr_t handle = kNoHandle;
    std::uint8_t inquiry[36] = {};
};

inline constexpr char kAdapterManagerId[] = "VXASPI v1.0";
inline constexpr char kAdapterIdentifier[] = "SCSI Adapter    "; // byte 13 = adapter digit

class Emulation {
public:
    explicit Emulation(ScsiDevices& devices) : devices_(devices) {}

    // Probes C: to Z: once; returns the number of drives that answered, or
    // 0 when the table is already built.
    int build();
    bool built() const { return built_; }
    // Closes the open drive handles and forgets the table.
    void destroy();

    // GetASPI32SupportInfo: status 1 and the adapter count, or 0xE800.
    std::uint32_t support_info() const;
    // SendASPI32Command: answers every request at once; returns its status.
    std::uint32_t send(void* srb);

    std::uint8_t adapter_count() const { return adapter_count_; }
    const DriveEntry& entry(int index) const { return table_[static_cast<std::size_t>(index)]; }

private:
    bool probe(int index);
    DriveEntry* find(std::uint8_t path_id, std::uint8_t target, std::uint8_t lun);
    void host_adapter_inquiry(SrbHostAdapterInquiry& srb) const;
    void device_type(SrbGetDeviceType& srb);
    void execute(SrbExecute& srb);

    ScsiDevices& devices_;
    std::uint8_t adapter_count_ = 0;
    bool built_ = false;
    std::array<DriveEntry, 26> table_{};
};

} // namespace vx::aspi
