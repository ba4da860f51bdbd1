// Optical-drive fakes for the tests: an MCI cdaudio device that models a
// disc (tracks with types, mode, TMSF position), drives and a SCSI device
// behind the pass-through seam, and a clock behind the time seam.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/mci_seam.h"
#include "platform/scsi_seam.h"
#include "platform/seam.h"
#include "platform/system_seam.h"

namespace vxtest {

struct FakeMci {
    bool device_present = true;  // "open" succeeds
    bool probe_fails = false;    // only the "vxbcdx" open fails
    std::vector<bool> audio_tracks{true, true, true, true, true, true};
    std::string mode = "stopped";
    std::string position = "01:00:00:00";
    std::set<std::string> open_aliases;
    std::vector<std::string> commands;
    std::vector<std::string> opened_devices; // device names of the opens
    int error_texts = 0;
    // mciSendCommandA calls: (device id, message, flags).
    struct Call {
        MCIDEVICEID device;
        UINT message;
        DWORD_PTR flags;
        std::string type;
    };
    std::vector<Call> calls;
    bool command_open_fails = false;

    int count(const std::string& prefix) const;
    bool sent(const std::string& command) const;
    // Commands sent since the last clear.
    void clear() { commands.clear(); }
};

// Drives by root ("E:\"): what GetDriveTypeA answers and whether a volume is
// mounted. A root may be a real folder path so the classifier's file tests
// run against real files.
struct FakeDrive {
    std::string root;
    UINT type = DRIVE_CDROM;
    bool volume = true;
};

// The SCSI device at one drive letter, for the pass-through path.
struct FakeScsiDevice {
    std::uint8_t path = 0, target = 0, lun = 0;
    bool answers_inquiry = true;
    std::vector<std::pair<std::uint8_t, std::uint32_t>> subchannel; // audio status, address per read
    std::vector<std::uint32_t> mechanism;                             // current block per read
    std::vector<DWORD> errors; // consumed by non-INQUIRY commands; 0 = succeed
    std::vector<std::uint8_t> commands; // CDB byte 0 of every command
    std::size_t sub_reads = 0, mech_reads = 0;
};

struct FakeOptical {
    std::vector<FakeDrive> drives;
    std::map<char, FakeScsiDevice> devices; // by drive letter
    std::vector<std::string> created;       // CreateFileA paths
    std::vector<DWORD> access;              // CreateFileA access rights
    int open_handles = 0;
    HMODULE aspi_library = nullptr;         // what load_aspi_library returns
    int aspi_loads = 0;
};

class FakeCd {
public:
    // Windows XP unless told otherwise; the tick starts at 100000.
    FakeCd(DWORD major = 5, DWORD minor = 1, DWORD platform = VER_PLATFORM_WIN32_NT);
    ~FakeCd();
    void set_version(DWORD major, DWORD minor, DWORD platform = VER_PLATFORM_WIN32_NT);

    FakeMci mci;
    FakeOptical optical;
    DWORD tick = 100000;
    std::vector<DWORD> sleeps; // Sleep calls; each also advances the tick
    // Real time each Sleep call takes, for waits on another process.
    DWORD real_sleep_ms = 0;

private:
    vx::platform::ScopedSeam<vx::platform::MciSeam> mci_seam_;
    vx::platform::ScopedSeam<vx::platform::ScsiSeam> scsi_seam_;
    vx::platform::ScopedSeam<vx::platform::SystemSeam> system_seam_;
};

} // namespace vxtest
