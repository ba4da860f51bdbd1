// The two SCSI questions that tell whether a drive is playing: READ
// SUB-CHANNEL for audio discs, MECHANISM STATUS for the others. Building the
// execute request, reading the replies and deciding "moving" are portable;
// the caller supplies how a command is executed and how time passes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "core/srb_layout.h"

namespace vx::aspi {

struct DeviceAddress {
    std::uint8_t adapter = 0;
    std::uint8_t target = 0;
    std::uint8_t lun = 0;
};

inline constexpr std::uint32_t kCommandTimeoutMs = 60000;
inline constexpr std::uint32_t kAudioPollMs = 200;
inline constexpr std::uint32_t kMechanismPollMs = 500;
inline constexpr std::uint8_t kSenseLength = 14;

// Fills a zeroed execute request for `device`: data-in or data-out flag with
// event notification, the buffer, sense length 14, the CDB cut to 16 bytes,
// and the device's LUN in the top three bits of CDB byte 1.
void fill_execute(SrbExecute& srb, const DeviceAddress& device, std::uint8_t direction_flag,
                  std::span<const std::uint8_t> cdb, std::uint8_t* buffer, std::uint32_t length);

inline constexpr std::uint8_t kAudioPlayInProgress = 0x11;
inline constexpr std::size_t kSubChannelLength = 16;
inline constexpr std::size_t kMechanismLength = 8;

void read_subchannel_cdb(std::uint8_t (&cdb)[10]);
void mechanism_status_cdb(std::uint8_t (&cdb)[12]);

std::uint8_t audio_status(std::span<const std::uint8_t, kSubChannelLength> reply);
std::uint32_t absolute_address(std::span<const std::uint8_t, kSubChannelLength> reply);
std::uint32_t current_block(std::span<const std::uint8_t, kMechanismLength> reply);

// The position moved by more than two blocks between two reads.
constexpr bool moved(std::uint32_t first, std::uint32_t second)
{
    return std::uint64_t{first} + 2 < second;
}

// Executes one CDB with a data-in buffer; true when it succeeded.
using ExecuteIn = std::function<bool(std::span<const std::uint8_t> cdb, std::uint8_t* data, std::uint32_t length)>;
using WaitMs = std::function<void(std::uint32_t ms)>;

// 1 when an audio play is in progress or the sub-channel address moves in
// 200 ms, else 0.
int audio_moving(const ExecuteIn& execute, const WaitMs& wait);
// 1 when the mechanism's current block moves in 500 ms, else 0.
int mechanism_moving(const ExecuteIn& execute, const WaitMs& wait);

} // namespace vx::aspi
