#include "vxutil/cd_fakes.h"

#include <cstdio>
#include <cstring>
#include <ntddscsi.h>
#include <winioctl.h>

namespace vxtest {
namespace {

FakeCd* g_cd = nullptr;
OSVERSIONINFOA g_cd_version{};

std::vector<std::string> words(const std::string& text)
{
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ')
            ++i;
        const std::size_t start = i;
        while (i < text.size() && text[i] != ' ')
            ++i;
        if (i > start)
            out.push_back(text.substr(start, i - start));
    }
    return out;
}

MCIERROR reply(LPSTR buffer, UINT size, const std::string& text)
{
    if (buffer && size)
        std::snprintf(buffer, size, "%s", text.c_str());
    return 0;
}

MCIERROR WINAPI send_string(LPCSTR command, LPSTR buffer, UINT size, HWND)
{
    FakeMci& m = g_cd->mci;
    m.commands.push_back(command);
    if (buffer && size)
        buffer[0] = '\0';
    const auto w = words(command);
    if (w.empty())
        return MCIERR_UNRECOGNIZED_COMMAND;
    if (w[0] == "open") {
        // open [<device>] type cdaudio alias <a> shareable | open cdaudio alias <a> shareable
        const std::string alias = w.size() >= 4 ? w[w.size() - 2] : "";
        m.opened_devices.push_back(w[1] == "cdaudio" ? "" : w[1]);
        if (!m.device_present || (m.probe_fails && alias == "vxbcdx"))
            return MCIERR_INVALID_DEVICE_NAME;
        if (m.open_aliases.count(alias))
            return MCIERR_DUPLICATE_ALIAS;
        m.open_aliases.insert(alias);
        return 0;
    }
    if (w.size() < 2 || !m.open_aliases.count(w[1]))
        return MCIERR_INVALID_DEVICE_NAME;
    if (w[0] == "close") {
        m.open_aliases.erase(w[1]);
        return 0;
    }
    const int tracks = static_cast<int>(m.audio_tracks.size());
    if (w[0] == "status" && w.size() >= 3) {
        const std::string what = command + std::strlen("status ") + w[1].size() + 1;
        if (what == "mode")
            return reply(buffer, size, m.mode);
        if (what == "position")
            return reply(buffer, size, m.position);
        if (what == "current track")
            return reply(buffer, size, std::to_string(std::atoi(m.position.c_str())));
        if (what == "number of tracks")
            return reply(buffer, size, std::to_string(tracks));
        if (what.rfind("type track ", 0) == 0) {
            const int t = std::atoi(what.c_str() + 11);
            if (t < 1 || t > tracks)
                return MCIERR_OUTOFRANGE;
            return reply(buffer, size, m.audio_tracks[static_cast<std::size_t>(t - 1)] ? "audio" : "other");
        }
        return MCIERR_UNSUPPORTED_FUNCTION;
    }
    if (w[0] == "set")
        return 0;
    if (w[0] == "stop") {
        m.mode = "stopped";
        return 0;
    }
    if (w[0] == "seek") {
        m.mode = "stopped";
        m.position = "01:00:00:00";
        return 0;
    }
    if (w[0] == "pause") {
        m.mode = "paused";
        return 0;
    }
    if (w[0] == "play") {
        if (w.size() >= 4 && w[2] == "from") {
            if (w[3].find(':') != std::string::npos) {
                m.position = w[3];
            } else {
                const int t = std::atoi(w[3].c_str());
                if (t < 1 || t > tracks)
                    return MCIERR_OUTOFRANGE;
                char text[16];
                std::snprintf(text, sizeof text, "%02d:00:00:00", t);
                m.position = text;
            }
        }
        m.mode = "playing";
        return 0;
    }
    return MCIERR_UNRECOGNIZED_COMMAND;
}

BOOL WINAPI error_string(MCIERROR, LPSTR buffer, UINT size)
{
    ++g_cd->mci.error_texts;
    return reply(buffer, size, "error") == 0;
}

MCIERROR WINAPI send_command(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR params)
{
    FakeMci& m = g_cd->mci;
    FakeMci::Call call{device, message, flags, ""};
    if (message == MCI_OPEN) {
        auto* open = reinterpret_cast<MCI_OPEN_PARMSA*>(params);
        call.type = open->lpstrDeviceType ? open->lpstrDeviceType : "";
        m.calls.push_back(call);
        if (m.command_open_fails || !m.device_present)
            return MCIERR_DEVICE_NOT_READY;
        open->wDeviceID = 42;
        return 0;
    }
    m.calls.push_back(call);
    return 0;
}

const FakeDrive* drive(LPCSTR root)
{
    for (const auto& d : g_cd->optical.drives) {
        if (lstrcmpiA(d.root.c_str(), root) == 0)
            return &d;
    }
    return nullptr;
}

DWORD WINAPI logical_drives(DWORD size, LPSTR buffer)
{
    std::string list;
    for (const auto& d : g_cd->optical.drives)
        list += d.root + '\0';
    if (list.size() + 1 > size)
        return static_cast<DWORD>(list.size() + 1);
    std::memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = '\0';
    return static_cast<DWORD>(list.size());
}

UINT WINAPI drive_type(LPCSTR root)
{
    const FakeDrive* d = drive(root);
    return d ? d->type : DRIVE_NO_ROOT_DIR;
}

BOOL WINAPI volume_info(LPCSTR root, LPSTR, DWORD, LPDWORD, LPDWORD, LPDWORD, LPSTR, DWORD)
{
    const FakeDrive* d = drive(root);
    return d && d->volume;
}

// Handles are 0x1000 + drive letter.
HANDLE WINAPI create_file(LPCSTR path, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE)
{
    auto& o = g_cd->optical;
    o.created.push_back(path);
    o.access.push_back(access);
    const char letter = static_cast<char>(std::strlen(path) == 6 ? path[4] : 0);
    if (std::strncmp(path, "\\\\.\\", 4) != 0 || !o.devices.count(letter)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    ++o.open_handles;
    return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0x1000 + letter));
}

BOOL WINAPI close_handle(HANDLE)
{
    --g_cd->optical.open_handles;
    return TRUE;
}

void put_be(std::uint8_t* p, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * (bytes - 1 - i)));
}

BOOL WINAPI device_io(HANDLE handle, DWORD code, LPVOID in, DWORD, LPVOID, DWORD, LPDWORD returned, LPOVERLAPPED)
{
    const char letter = static_cast<char>(reinterpret_cast<std::uintptr_t>(handle) - 0x1000);
    auto& o = g_cd->optical;
    if (code != IOCTL_SCSI_PASS_THROUGH_DIRECT || !o.devices.count(letter)) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    FakeScsiDevice& d = o.devices[letter];
    auto* q = static_cast<SCSI_PASS_THROUGH_DIRECT*>(in);
    auto* data = static_cast<std::uint8_t*>(q->DataBuffer);
    d.commands.push_back(q->Cdb[0]);
    *returned = sizeof(SCSI_PASS_THROUGH_DIRECT);
    if (q->Cdb[0] == 0x12) {
        if (!d.answers_inquiry) {
            SetLastError(ERROR_IO_DEVICE);
            return FALSE;
        }
        std::memset(data, 0, q->DataTransferLength);
        data[0] = 5;
        std::memcpy(data + 8, "VXTEST  CDROM", 13);
        q->PathId = d.path;
        q->TargetId = d.target;
        q->Lun = d.lun;
        return TRUE;
    }
    if (!d.errors.empty()) {
        const DWORD e = d.errors.front();
        d.errors.erase(d.errors.begin());
        if (e) {
            SetLastError(e);
            return FALSE;
        }
    }
    if (q->Cdb[0] == 0x42 && d.sub_reads < d.subchannel.size()) {
        const auto [status, address] = d.subchannel[d.sub_reads++];
        std::memset(data, 0, q->DataTransferLength);
        data[1] = status;
        put_be(data + 8, address, 4);
        return TRUE;
    }
    if (q->Cdb[0] == 0xBD && d.mech_reads < d.mechanism.size()) {
        std::memset(data, 0, q->DataTransferLength);
        put_be(data + 2, d.mechanism[d.mech_reads++], 3);
        return TRUE;
    }
    SetLastError(ERROR_IO_DEVICE);
    return FALSE;
}

HMODULE load_aspi()
{
    ++g_cd->optical.aspi_loads;
    return g_cd->optical.aspi_library;
}

BOOL WINAPI fake_version(LPOSVERSIONINFOA info)
{
    const DWORD size = info->dwOSVersionInfoSize;
    *info = g_cd_version;
    info->dwOSVersionInfoSize = size;
    return TRUE;
}

DWORD WINAPI fake_tick() { return g_cd->tick; }
void WINAPI fake_sleep(DWORD ms)
{
    g_cd->sleeps.push_back(ms);
    g_cd->tick += ms;
    if (g_cd->real_sleep_ms)
        ::Sleep(g_cd->real_sleep_ms);
}

vx::platform::MciSeam fake_mci_seam() { return {send_string, error_string, send_command}; }
vx::platform::ScsiSeam fake_scsi_seam()
{
    vx::platform::ScsiSeam s = vx::platform::scsi();
    s.GetLogicalDriveStringsA = logical_drives;
    s.GetDriveTypeA = drive_type;
    s.GetVolumeInformationA = volume_info;
    s.CreateFileA = create_file;
    s.DeviceIoControl = device_io;
    s.CloseHandle = close_handle;
    s.load_aspi_library = load_aspi;
    return s;
}
vx::platform::SystemSeam fake_system_seam()
{
    vx::platform::SystemSeam s = vx::platform::os();
    s.GetVersionExA = fake_version;
    s.GetTickCount = fake_tick;
    s.Sleep = fake_sleep;
    return s;
}

} // namespace

int FakeMci::count(const std::string& prefix) const
{
    int n = 0;
    for (const auto& c : commands)
        n += c.rfind(prefix, 0) == 0;
    return n;
}

bool FakeMci::sent(const std::string& command) const
{
    for (const auto& c : commands)
        if (c == command)
            return true;
    return false;
}

FakeCd::FakeCd(DWORD major, DWORD minor, DWORD platform)
    : mci_seam_(vx::platform::mci(), fake_mci_seam()), scsi_seam_(vx::platform::scsi(), fake_scsi_seam()),
      system_seam_(vx::platform::os(), fake_system_seam())
{
    set_version(major, minor, platform);
    g_cd = this;
}

FakeCd::~FakeCd() { g_cd = nullptr; }

void FakeCd::set_version(DWORD major, DWORD minor, DWORD platform)
{
    g_cd_version = {};
    g_cd_version.dwOSVersionInfoSize = sizeof g_cd_version;
    g_cd_version.dwPlatformId = platform;
    g_cd_version.dwMajorVersion = major;
    g_cd_version.dwMinorVersion = minor;
}

} // namespace vxtest
