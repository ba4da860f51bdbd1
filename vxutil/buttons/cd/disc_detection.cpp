// Drive enumeration, the disc classifier over real files on the drive, and
// CD_CheckPlayPauseStatus / CD_IsPlaying.
#include "buttons/cd/disc_detection.h"

#include <vector>

#include "platform/scsi_seam.h"
#include "platform/system_seam.h"
#include "export_guard.h"
#include "vxutil.h"

namespace vx::disc {
namespace {

bool has_volume(const std::string& root)
{
    // No "insert a disk" box from the system when the drive is empty.
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
    const BOOL ok = platform::scsi().GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0);
    SetErrorMode(previous);
    return ok != FALSE;
}

bool file_exists(const std::string& root, const char* pattern)
{
    const std::string path = root + pattern;
    if (path.size() >= MAX_PATH)
        return false;
    WIN32_FIND_DATAA data;
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
    const HANDLE found = FindFirstFileA(path.c_str(), &data);
    SetErrorMode(previous);
    if (found == INVALID_HANDLE_VALUE)
        return false;
    FindClose(found);
    return true;
}

} // namespace

std::vector<std::string> cdrom_roots()
{
    std::vector<std::string> roots;
    char list[MAX_PATH + 1] = {};
    const DWORD n = platform::scsi().GetLogicalDriveStringsA(MAX_PATH, list);
    // A list that does not fit is not written at all (the call returns the
    // size it needs), so the zeroed buffer then holds no drive. 26 drives
    // take 105 characters, far below MAX_PATH. The extra NUL at the end keeps
    // the walk inside the buffer.
    const DWORD length = n < MAX_PATH ? n : MAX_PATH;
    for (DWORD i = 0; i < length && list[i];) {
        const std::string root(list + i);
        i += static_cast<DWORD>(root.size()) + 1;
        if (platform::scsi().GetDriveTypeA(root.c_str()) == DRIVE_CDROM)
            roots.push_back(root);
    }
    return roots;
}

Kind classify_root(const std::string& root)
{
    DriveProbe probe{
        [&] { return has_volume(root); },
        [&] { return file_exists(root, "*.cda"); },
        [&] { return file_exists(root, "vcd\\info.vcd"); },
        [&] { return AudioCD_FindAudioByMCI(root.c_str()) == 0; },
        [&] { return file_exists(root, "AUTORUN.*"); },
        [&] { return file_exists(root, "video_ts\\vts_01_0.ifo"); },
    };
    return classify(probe);
}

Choice choose_drive()
{
    Choice choice;
    for (const std::string& root : cdrom_roots())
        choice.offer(classify_root(root), root);
    return choice;
}

PlayState& play_state()
{
    static PlayState state;
    return state;
}

} // namespace vx::disc

extern "C" int WINAPI CD_CheckPlayPauseStatus(void)
{
    return vx::guarded<int>(0, [&]() -> int {
        using namespace vx::disc;
        const Choice choice = choose_drive();
        PlayProbe probe{
            [] { return FindWindowA("WMPlayerApp", nullptr) != nullptr; },
            [&] { return AudioCD_IsPlaying(choice.root.c_str()); },
            [](int kind) { return OnIsCdromPlaying(kind); },
        };
        return check_play_state(play_state(), choice.kind, vx::platform::os().GetTickCount(), probe);
    });
}

extern "C" int WINAPI CD_IsPlaying(void) { return vx::disc::play_state().flag; }
