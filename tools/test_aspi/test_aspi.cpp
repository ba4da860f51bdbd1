// A test build of WNASPI32.DLL: one host adapter whose bus holds a disk at
// target 0 and a CD-ROM at target 1, LUN 0. Execute requests complete
// through the caller's event, as a real ASPI library's do; the CD-ROM's
// sub-channel and mechanism replies are set by the test through
// TestAspi_SetPositions and the requests it received are counted.
//
// The request blocks are declared here as the ASPI interface defines them
// (packed to 1 byte, pointers at their native size), not taken from the
// library under test, so a layout the library gets wrong shows in the tests.
#include <windows.h>

#include <cstdint>
#include <cstring>

namespace {

constexpr BYTE SC_HA_INQUIRY = 0, SC_GET_DEV_TYPE = 1, SC_EXEC_SCSI_CMD = 2;
constexpr BYTE SS_PENDING = 0, SS_COMP = 1, SS_ERR = 4, SS_INVALID_HA = 0x81, SS_NO_DEVICE = 0x82;
constexpr BYTE SRB_EVENT_NOTIFY = 0x40;

#pragma pack(push, 1)
struct SRB_Header {
    BYTE SRB_Cmd, SRB_Status, SRB_HaId, SRB_Flags;
    DWORD SRB_Hdr_Rsvd;
};
struct SRB_HAInquiry {
    SRB_Header h;
    BYTE HA_Count, HA_SCSI_ID, HA_ManagerId[16], HA_Identifier[16], HA_Unique[16];
    WORD HA_Rsvd1;
};
struct SRB_GDEVBlock {
    SRB_Header h;
    BYTE SRB_Target, SRB_Lun, SRB_DeviceType, SRB_Rsvd1;
};
struct SRB_ExecSCSICmd {
    SRB_Header h;
    BYTE SRB_Target, SRB_Lun;
    WORD SRB_Rsvd1;
    DWORD SRB_BufLen;
    BYTE* SRB_BufPointer;
    BYTE SRB_SenseLen, SRB_CDBLen, SRB_HaStat, SRB_TargStat;
    void* SRB_PostProc;
    void* SRB_Rsvd2;
    BYTE SRB_Rsvd3[16], CDBByte[16], SenseArea[16];
};
#pragma pack(pop)

std::uint32_t g_positions[8] = {};
std::uint32_t g_position_count = 0;
std::uint8_t g_audio_status = 0x15;
std::uint32_t g_reads = 0;
std::uint32_t g_executes = 0;
std::uint8_t g_last_cdb1 = 0;
bool g_hang = false;
const SRB_ExecSCSICmd* g_pending = nullptr;

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

extern "C" __declspec(dllexport) DWORD GetASPI32SupportInfo(void) { return (SS_COMP << 8) | 1; }

extern "C" __declspec(dllexport) DWORD SendASPI32Command(void* request)
{
    if (!request)
        return SS_ERR;
    auto* header = static_cast<SRB_Header*>(request);
    switch (header->SRB_Cmd) {
    case SC_HA_INQUIRY: {
        auto* inquiry = static_cast<SRB_HAInquiry*>(request);
        inquiry->HA_Count = 1;
        if (header->SRB_HaId != 0)
            return header->SRB_Status = SS_INVALID_HA;
        std::memcpy(inquiry->HA_ManagerId, "TEST ASPI       ", 16);
        inquiry->HA_Unique[3] = 0; // 0 stands for 8 targets
        return header->SRB_Status = SS_COMP;
    }
    case SC_GET_DEV_TYPE: {
        auto* device = static_cast<SRB_GDEVBlock*>(request);
        if (header->SRB_HaId == 0 && device->SRB_Lun == 0 && device->SRB_Target <= 1) {
            device->SRB_DeviceType = device->SRB_Target == 1 ? 5 : 0; // CD-ROM, disk
            return header->SRB_Status = SS_COMP;
        }
        device->SRB_DeviceType = 0x1F;
        return header->SRB_Status = SS_NO_DEVICE;
    }
    case SC_EXEC_SCSI_CMD: {
        auto& e = *static_cast<SRB_ExecSCSICmd*>(request);
        ++g_executes;
        g_last_cdb1 = e.CDBByte[1];
        if (header->SRB_HaId != 0 || e.SRB_Target != 1 || e.SRB_Lun != 0)
            return header->SRB_Status = SS_ERR;
        BYTE* buffer = e.SRB_BufPointer;
        if (buffer && e.CDBByte[0] == 0x42 && e.SRB_BufLen >= 16) {
            std::memset(buffer, 0, e.SRB_BufLen);
            buffer[1] = g_audio_status;
            put_be(buffer + 8, next_position(), 4);
        } else if (buffer && e.CDBByte[0] == 0xBD && e.SRB_BufLen >= 8) {
            std::memset(buffer, 0, e.SRB_BufLen);
            put_be(buffer + 2, next_position(), 3);
        } else {
            return header->SRB_Status = SS_ERR;
        }
        if (g_hang) {
            // Never completes: the request and its buffer stay the library's.
            g_pending = &e;
            return SS_PENDING;
        }
        // Completed "later": the status is set and the event signalled, and
        // the call itself reports the request as pending.
        header->SRB_Status = SS_COMP;
        if ((header->SRB_Flags & SRB_EVENT_NOTIFY) && e.SRB_PostProc)
            SetEvent(static_cast<HANDLE>(e.SRB_PostProc));
        return SS_PENDING;
    }
    default:
        return header->SRB_Status = SS_ERR;
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

// Test control: execute requests stay pending for ever (no completion, no
// event; an abort is not honoured either), and where the last one's block and
// data buffer lie, which the library could still write into.
extern "C" __declspec(dllexport) void TestAspi_Hang(int hang) { g_hang = hang != 0; g_pending = nullptr; }
extern "C" __declspec(dllexport) const void* TestAspi_PendingRequest(void) { return g_pending; }
extern "C" __declspec(dllexport) const void* TestAspi_PendingBuffer(void)
{
    return g_pending ? g_pending->SRB_BufPointer : nullptr;
}
