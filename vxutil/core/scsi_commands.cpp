#include "core/scsi_commands.h"

#include <algorithm>
#include <cstring>

namespace vx::aspi {

void fill_execute(SrbExecute& srb, const DeviceAddress& device, std::uint8_t direction_flag,
                  std::span<const std::uint8_t> cdb, std::uint8_t* buffer, std::uint32_t length)
{
    srb.header.command = kExecuteScsi;
    srb.header.adapter = device.adapter;
    srb.header.flags = static_cast<std::uint8_t>(direction_flag | kFlagEventNotify);
    srb.target = device.target;
    srb.lun = device.lun;
    srb.buffer = buffer;
    srb.buffer_length = length;
    srb.sense_length = kSenseLength;
    const std::size_t n = std::min<std::size_t>(cdb.size(), sizeof srb.cdb);
    srb.cdb_length = static_cast<std::uint8_t>(n);
    std::memcpy(srb.cdb, cdb.data(), n);
    if (n > 1)
        srb.cdb[1] = static_cast<std::uint8_t>((srb.cdb[1] & 0x1F) | (device.lun << 5));
}

void read_subchannel_cdb(std::uint8_t (&cdb)[10])
{
    std::memset(cdb, 0, sizeof cdb);
    cdb[0] = 0x42;
    cdb[2] = 0x40; // sub-Q data
    cdb[3] = 0x01; // current position
    cdb[8] = static_cast<std::uint8_t>(kSubChannelLength);
}

void mechanism_status_cdb(std::uint8_t (&cdb)[12])
{
    std::memset(cdb, 0, sizeof cdb);
    cdb[0] = 0xBD;
    cdb[9] = static_cast<std::uint8_t>(kMechanismLength);
}

std::uint8_t audio_status(std::span<const std::uint8_t, kSubChannelLength> reply) { return reply[1]; }

std::uint32_t absolute_address(std::span<const std::uint8_t, kSubChannelLength> reply)
{
    return std::uint32_t{reply[8]} << 24 | std::uint32_t{reply[9]} << 16 | std::uint32_t{reply[10]} << 8 | reply[11];
}

std::uint32_t current_block(std::span<const std::uint8_t, kMechanismLength> reply)
{
    return std::uint32_t{reply[2]} << 16 | std::uint32_t{reply[3]} << 8 | reply[4];
}

int audio_moving(const ExecuteIn& execute, const WaitMs& wait)
{
    std::uint8_t cdb[10];
    read_subchannel_cdb(cdb);
    std::uint8_t reply[kSubChannelLength] = {};
    if (!execute(cdb, reply, sizeof reply))
        return 0;
    if (audio_status(reply) == kAudioPlayInProgress)
        return 1;
    const std::uint32_t first = absolute_address(reply);
    wait(kAudioPollMs);
    std::memset(reply, 0, sizeof reply);
    if (!execute(cdb, reply, sizeof reply))
        return 0;
    return moved(first, absolute_address(reply)) ? 1 : 0;
}

int mechanism_moving(const ExecuteIn& execute, const WaitMs& wait)
{
    std::uint8_t cdb[12];
    mechanism_status_cdb(cdb);
    std::uint8_t reply[kMechanismLength] = {};
    if (!execute(cdb, reply, sizeof reply))
        return 0;
    const std::uint32_t first = current_block(reply);
    wait(kMechanismPollMs);
    // The second read's success is not examined: a failed read leaves the
    // zeroed reply, which never counts as movement.
    std::memset(reply, 0, sizeof reply);
    execute(cdb, reply, sizeof reply);
    return moved(first, current_block(reply)) ? 1 : 0;
}

} // namespace vx::aspi
