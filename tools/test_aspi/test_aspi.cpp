// A test build of WNASPI32.DLL: one host adapter whose bus holds a disk at
// target 0 and a CD-ROM at target 1, LUN 0. Execute requests complete
// through the caller's event, as a real ASPI library's do; the CD-ROM's
// sub-channel and mechanism replies are set by the test through
// TestAspi_SetPositions and the requests it received are counted.
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "core/srb_layout.h"

using namespace vx::aspi;

namespace {

std::uint32_t g_positions[8] = {};
std::uint32_t g_position_count = 0;
std::uint8_t g_audio_status = 0x15;
std::uint32_t g_reads = 0;
std::uint32_t g_executes = 0;
std::uint8_t g_last_cdb1 = 0;

void put_be(std::uint8_t* p, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * (bytes - 1 - i)));
}

std::uint32_t next_position()
{
    const std::uint32_t i = g_reads < g_position_count ? g_reads : (g_position_count ? g_position_count - 1 : 0);
    ++g_reads;
    return g_positions[i];
}

} // namespace

extern "C" __declspec(dllexport) DWORD GetASPI32SupportInfo(void) { return (kStatusComplete << 8) | 1; }

extern "C" __declspec(dllexport) DWORD SendASPI32Command(void* request)
{
    if (!request)
        return kStatusError;
    auto* srb = static_cast<Srb*>(request);
    switch (srb->header.command) {
    case kHostAdapterInquiry:
        srb->inquiry.adapter_count = 1;
        if (srb->header.adapter != 0)
            return srb->header.status = kStatusInvalidAdapter;
        std::memcpy(srb->inquiry.manager_id, "TEST ASPI       ", 16);
        srb->inquiry.unique[3] = 0; // 0 stands for 8 targets
        return srb->header.status = kStatusComplete;
    case kGetDeviceType:
        if (srb->header.adapter == 0 && srb->device.lun == 0 && srb->device.target <= 1) {
            srb->device.device_type = srb->device.target == 1 ? kDeviceTypeCdrom : 0;
            return srb->header.status = kStatusComplete;
        }
        srb->device.device_type = kDeviceTypeUnknown;
        return srb->header.status = kStatusNoDevice;
    case kExecuteScsi: {
        SrbExecute& e = srb->execute;
        ++g_executes;
        g_last_cdb1 = e.cdb[1];
        if (srb->header.adapter != 0 || e.target != 1 || e.lun != 0)
            return srb->header.status = kStatusError;
        if (e.buffer && e.cdb[0] == 0x42 && e.buffer_length >= 16) {
            std::memset(e.buffer, 0, e.buffer_length);
            e.buffer[1] = g_audio_status;
            put_be(e.buffer + 8, next_position(), 4);
        } else if (e.buffer && e.cdb[0] == 0xBD && e.buffer_length >= 8) {
            std::memset(e.buffer, 0, e.buffer_length);
            put_be(e.buffer + 2, next_position(), 3);
        } else {
            return srb->header.status = kStatusError;
        }
        // Completed "later": the status is set and the event signalled, and
        // the call itself reports the request as pending.
        srb->header.status = kStatusComplete;
        if ((srb->header.flags & kFlagEventNotify) && e.post)
            SetEvent(static_cast<HANDLE>(e.post));
        return kStatusPending;
    }
    default:
        return srb->header.status = kStatusError;
    }
}

// Test control: the audio status of sub-channel replies and the positions
// returned by successive reads (the last one repeats); resets the counters.
extern "C" __declspec(dllexport) void TestAspi_SetPositions(std::uint8_t audio_status, const std::uint32_t* positions,
                                                            std::uint32_t count)
{
    g_audio_status = audio_status;
    g_position_count = count > 8 ? 8 : count;
    std::memcpy(g_positions, positions, g_position_count * sizeof *positions);
    g_reads = 0;
    g_executes = 0;
}

extern "C" __declspec(dllexport) std::uint32_t TestAspi_Executes(void) { return g_executes; }
extern "C" __declspec(dllexport) std::uint32_t TestAspi_LastCdbByte1(void) { return g_last_cdb1; }
