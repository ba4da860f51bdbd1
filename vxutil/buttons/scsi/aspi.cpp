// InitAspi, DestroyAspi and OnIsCdromPlaying, and the Windows side of the
// ASPI emulation: drives opened as \\.\X: and IOCTL_SCSI_PASS_THROUGH_DIRECT.
#include "buttons/scsi/aspi.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>
#include <windows.h>
#include <winioctl.h>
#include <ntddscsi.h>

#include "core/cdrom_search.h"
#include "platform/scsi_seam.h"
#include "platform/system_seam.h"
#include "export_guard.h"
#include "vxutil.h"

namespace vx::aspi {
namespace {

// The pass-through request with room for the sense data behind it (at byte
// 48 of an 80-byte block on x86).
struct PassThroughBlock {
    SCSI_PASS_THROUGH_DIRECT request;
    ULONG filler;
    UCHAR sense[32];
};

constexpr UCHAR kSenseInfoLength = 24;
// How long an aborted request may take to let go of its block.
constexpr DWORD kAbortGraceMs = 1000;
static_assert(IOCTL_SCSI_PASS_THROUGH_DIRECT == 0x4D014);
#if !defined(_WIN64)
static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT) == 44 && offsetof(PassThroughBlock, sense) == 48 && sizeof(PassThroughBlock) == 80);
#endif

class WindowsDevices : public ScsiDevices {
public:
    bool is_cdrom(char letter) override
    {
        const char root[] = {letter, ':', '\\', '\0'};
        return platform::scsi().GetDriveTypeA(root) == DRIVE_CDROM;
    }

    std::intptr_t open(char letter) override
    {
        const char path[] = {'\\', '\\', '.', '\\', letter, ':', '\0'};
        const auto v = platform::windows_version();
        // Pass-through needs write access on Windows 2000 and later; older
        // systems refuse it. Either way one retry with the other choice.
        DWORD access = GENERIC_READ;
        if (v.platform == VER_PLATFORM_WIN32_NT && v.major > 4)
            access |= GENERIC_WRITE;
        auto& s = platform::scsi();
        HANDLE h = s.CreateFileA(path, access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            h = s.CreateFileA(path, access ^ GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        return h == INVALID_HANDLE_VALUE ? kNoHandle : reinterpret_cast<std::intptr_t>(h);
    }

    void close(std::intptr_t handle) override { platform::scsi().CloseHandle(reinterpret_cast<HANDLE>(handle)); }

    std::uint32_t pass_through(std::intptr_t handle, PassThrough& r) override
    {
        PassThroughBlock block{};
        SCSI_PASS_THROUGH_DIRECT& q = block.request;
        q.Length = sizeof q;
        q.CdbLength = r.cdb_length > sizeof q.Cdb ? sizeof q.Cdb : r.cdb_length;
        q.SenseInfoLength = kSenseInfoLength;
        q.DataIn = r.direction == Direction::In    ? SCSI_IOCTL_DATA_IN
                   : r.direction == Direction::Out ? SCSI_IOCTL_DATA_OUT
                                                   : SCSI_IOCTL_DATA_UNSPECIFIED;
        q.DataTransferLength = r.data ? r.length : 0;
        q.TimeOutValue = r.timeout_seconds;
        q.DataBuffer = r.data;
        q.SenseInfoOffset = offsetof(PassThroughBlock, sense);
        std::memcpy(q.Cdb, r.cdb, q.CdbLength);
        DWORD returned = 0;
        if (!platform::scsi().DeviceIoControl(reinterpret_cast<HANDLE>(handle), IOCTL_SCSI_PASS_THROUGH_DIRECT, &block,
                                              sizeof block, &block, sizeof block, &returned, nullptr)) {
            const DWORD error = GetLastError();
            return error ? error : ERROR_GEN_FAILURE;
        }
        r.path_id = q.PathId;
        r.target_id = q.TargetId;
        r.lun = q.Lun;
        return 0;
    }
};

struct AspiState {
    HMODULE library = nullptr;
    SupportInfoFn support_info = nullptr;
    SendCommandFn send_command = nullptr;
    DeviceAddress device;
    int found = 0;
};

AspiState& state()
{
    static AspiState s;
    return s;
}

Emulation& emulation()
{
    static Emulation e(windows_devices());
    return e;
}

std::uint32_t emulated_support_info() { return emulation().support_info(); }
std::uint32_t emulated_send(void* srb) { return emulation().send(srb); }

template <class Fn>
Fn bind(HMODULE library, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(platform::scsi().GetProcAddress(library, name)));
}

// Binds the system's ASPI library; a library without both entry points is
// treated as absent, so the emulation takes over.
bool bind_library()
{
    auto& s = state();
    auto& seam = platform::scsi();
    if (!s.library)
        s.library = seam.load_aspi_library();
    if (!s.library)
        return false;
    s.support_info = bind<SupportInfoFn>(s.library, "GetASPI32SupportInfo");
    s.send_command = bind<SendCommandFn>(s.library, "SendASPI32Command");
    if (s.support_info && s.send_command)
        return true;
    seam.FreeLibrary(s.library);
    s = AspiState{};
    return false;
}

// One execute request with its data buffer and completion event, on the
// heap: the library writes into all three until the request completes.
struct PendingRequest {
    Srb srb{};
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::vector<std::uint8_t> data;
    explicit PendingRequest(std::uint32_t length) : data(length) {}
    bool pending() const { return srb.header.status == kStatusPending; }
};

// A request still pending after the time-out is aborted. If the library
// does not let go of it even then, the request is left to it for good (a
// few bytes lost) rather than freed while it may still be written.
bool settled(PendingRequest& request)
{
    auto& s = state();
    if (platform::os().WaitForSingleObject(request.event, kCommandTimeoutMs) != WAIT_TIMEOUT || !request.pending())
        return true;
    Srb abort{};
    abort.header.command = kAbort;
    abort.header.adapter = s.device.adapter;
    abort.abort.request = &request.srb;
    s.send_command(&abort);
    platform::os().WaitForSingleObject(request.event, kAbortGraceMs);
    return !request.pending();
}

// Sends one data-in command to the found device and waits for it; a command
// still pending after the time-out counts as failed.
bool execute_in(std::span<const std::uint8_t> cdb, std::uint8_t* data, std::uint32_t length)
{
    auto& s = state();
    if (!s.send_command)
        return false;
    auto request = std::make_unique<PendingRequest>(length);
    if (!request->event)
        return false;
    fill_execute(request->srb.execute, s.device, kFlagDataIn, cdb, request->data.data(), length);
    request->srb.execute.post = request->event;
    if (s.send_command(&request->srb) == kStatusPending && !settled(*request)) {
        request.release();
        return false;
    }
    CloseHandle(request->event);
    if (request->srb.header.status != kStatusComplete)
        return false;
    if (length)
        std::memcpy(data, request->data.data(), length);
    return true;
}

} // namespace

ScsiDevices& windows_devices()
{
    static WindowsDevices devices;
    return devices;
}

bool device_found() { return state().found != 0; }
DeviceAddress found_device() { return state().device; }
bool library_loaded() { return state().library != nullptr; }

} // namespace vx::aspi

using namespace vx::aspi;

extern "C" int WINAPI InitAspi(void)
{
    return vx::guarded<int>(0, [&]() -> int {
        auto& s = state();
        if (!bind_library()) {
            if (emulation().build() == 0)
                return 0;
            s.support_info = emulated_support_info;
            s.send_command = emulated_send;
        }
        const auto device = find_first_cdrom(s.support_info, s.send_command);
        s.found = device ? 1 : 0;
        s.device = device.value_or(DeviceAddress{});
        return s.found;
    });
}

extern "C" int WINAPI DestroyAspi(void)
{
    auto& s = state();
    s.support_info = nullptr;
    s.send_command = nullptr;
    s.found = 0;
    if (s.library) {
        const BOOL freed = vx::platform::scsi().FreeLibrary(s.library);
        s.library = nullptr;
        return freed;
    }
    if (emulation().built()) {
        emulation().destroy();
        return -1;
    }
    return 0;
}

extern "C" int WINAPI OnIsCdromPlaying(int kind)
{
    return vx::guarded<int>(0, [&]() -> int {
        if (!state().found)
            return 0;
        const WaitMs wait = [](std::uint32_t ms) { vx::platform::os().Sleep(ms); };
        return kind == 1 ? audio_moving(execute_in, wait) : mechanism_moving(execute_in, wait);
    });
}
