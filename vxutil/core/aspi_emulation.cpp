#include "core/aspi_emulation.h"

#include <algorithm>
#include <cstring>

namespace vx::aspi {
namespace {

constexpr int kFirstDrive = 2; // C:
constexpr std::uint32_t kProbeLength = 100;
constexpr std::uint32_t kProbeTimeoutSeconds = 2;
constexpr std::uint32_t kCommandTimeoutSeconds = 5;
constexpr std::uint8_t kInquiry = 0x12;

} // namespace

bool Emulation::probe(int index)
{
    const char letter = static_cast<char>('A' + index);
    const std::intptr_t handle = devices_.open(letter);
    if (handle == kNoHandle)
        return false;
    std::uint8_t cdb[6] = {kInquiry, 0, 0, 0, static_cast<std::uint8_t>(kProbeLength), 0};
    std::uint8_t reply[kProbeLength] = {};
    PassThrough request;
    request.cdb = cdb;
    request.cdb_length = sizeof cdb;
    request.direction = Direction::In;
    request.data = reply;
    request.length = kProbeLength;
    request.timeout_seconds = kProbeTimeoutSeconds;
    const bool answered = devices_.pass_through(handle, request) == 0;
    devices_.close(handle);
    if (!answered)
        return false;
    DriveEntry& e = table_[static_cast<std::size_t>(index)];
    e.path_id = request.path_id;
    e.target_id = request.target_id;
    e.lun = request.lun;
    e.drive_index = static_cast<std::uint8_t>(index);
    e.present = 1;
    e.handle = kNoHandle;
    std::memcpy(e.inquiry, reply, sizeof e.inquiry);
    return true;
}

int Emulation::build()
{
    if (built_)
        return 0;
    adapter_count_ = 0;
    table_.fill(DriveEntry{});
    int answered = 0;
    for (int i = kFirstDrive; i < 26; ++i) {
        if (devices_.is_cdrom(static_cast<char>('A' + i)) && probe(i))
            ++answered;
    }
    bool seen[256] = {};
    for (const DriveEntry& e : table_) {
        if (e.present && !seen[e.path_id]) {
            seen[e.path_id] = true;
            ++adapter_count_;
        }
    }
    built_ = true;
    return answered;
}

void Emulation::destroy()
{
    if (!built_)
        return;
    for (int i = kFirstDrive; i < 26; ++i) {
        DriveEntry& e = table_[static_cast<std::size_t>(i)];
        if (e.present && e.handle != kNoHandle) {
            devices_.close(e.handle);
            e.handle = kNoHandle;
        }
    }
    built_ = false;
}

std::uint32_t Emulation::support_info() const
{
    return adapter_count_ ? (std::uint32_t{kStatusComplete} << 8) + adapter_count_ : std::uint32_t{kStatusNoAdapters} << 8;
}

DriveEntry* Emulation::find(std::uint8_t path_id, std::uint8_t target, std::uint8_t lun)
{
    for (int i = kFirstDrive; i < 26; ++i) {
        DriveEntry& e = table_[static_cast<std::size_t>(i)];
        if (e.present && e.path_id == path_id && e.target_id == target && e.lun == lun)
            return &e;
    }
    return nullptr;
}

void Emulation::host_adapter_inquiry(SrbHostAdapterInquiry& srb) const
{
    srb.adapter_count = adapter_count_;
    if (srb.header.adapter >= adapter_count_) {
        srb.header.status = kStatusInvalidAdapter;
        return;
    }
    srb.own_scsi_id = 7;
    std::memset(srb.manager_id, 0, sizeof srb.manager_id);
    std::memcpy(srb.manager_id, kAdapterManagerId, sizeof kAdapterManagerId - 1);
    std::memcpy(srb.identifier, kAdapterIdentifier, sizeof srb.identifier);
    srb.identifier[13] = static_cast<char>('0' + srb.header.adapter);
    std::memset(srb.unique, 0, sizeof srb.unique);
    srb.unique[3] = 8; // maximum targets
    const std::uint32_t max_transfer = 0x10000;
    for (int i = 0; i < 4; ++i)
        srb.unique[4 + i] = static_cast<std::uint8_t>(max_transfer >> (8 * i));
    srb.header.status = kStatusComplete;
}

void Emulation::device_type(SrbGetDeviceType& srb)
{
    if (find(srb.header.adapter, srb.target, srb.lun)) {
        srb.header.status = kStatusComplete;
        srb.device_type = kDeviceTypeCdrom;
    } else {
        srb.header.status = kStatusNoDevice;
        srb.device_type = kDeviceTypeUnknown;
    }
}

void Emulation::execute(SrbExecute& srb)
{
    DriveEntry* e = find(srb.header.adapter, srb.target, srb.lun);
    if (!e) {
        srb.header.status = kStatusError;
        return;
    }
    const std::uint8_t cdb_length = std::min<std::uint8_t>(srb.cdb_length, 16);
    if (cdb_length > 0 && srb.cdb[0] == kInquiry) {
        // Answered from the probe's reply; never more than the caller's buffer.
        if (srb.buffer)
            std::memcpy(srb.buffer, e->inquiry, std::min<std::size_t>(sizeof e->inquiry, srb.buffer_length));
        srb.header.status = kStatusComplete;
        return;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (e->handle == kNoHandle)
            e->handle = devices_.open(static_cast<char>('A' + e->drive_index));
        PassThrough request;
        request.cdb = srb.cdb;
        request.cdb_length = cdb_length;
        request.direction = (srb.header.flags & kFlagDataIn)    ? Direction::In
                            : (srb.header.flags & kFlagDataOut) ? Direction::Out
                                                                : Direction::Unspecified;
        request.data = srb.buffer;
        request.length = srb.buffer ? srb.buffer_length : 0;
        request.timeout_seconds = kCommandTimeoutSeconds;
        const std::uint32_t error = devices_.pass_through(e->handle, request);
        if (error == 0) {
            srb.header.status = kStatusComplete;
            return;
        }
        srb.header.status = kStatusError;
        srb.target_status = kStatusError;
        if (attempt > 0 || (error != kErrorMediaChanged && error != kErrorInvalidHandle))
            return;
        // A new disc or a stale handle: reopen and ask the drive again once.
        if (error != kErrorInvalidHandle && e->handle != kNoHandle)
            devices_.close(e->handle);
        e->handle = kNoHandle;
        const int index = e->drive_index;
        if (!probe(index)) {
            table_[static_cast<std::size_t>(index)].present = 0;
            return;
        }
    }
}

std::uint32_t Emulation::send(void* request)
{
    if (!request)
        return kStatusError;
    auto* srb = static_cast<Srb*>(request);
    switch (srb->header.command) {
    case kHostAdapterInquiry:
        host_adapter_inquiry(srb->inquiry);
        break;
    case kGetDeviceType:
        device_type(srb->device);
        break;
    case kExecuteScsi:
        execute(srb->execute);
        break;
    default:
        srb->header.status = kStatusError;
        break;
    }
    return srb->header.status;
}

} // namespace vx::aspi
