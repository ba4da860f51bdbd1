#include "cd_disc.h"

#include <windows.h>

#include <string>

#include "core/disc_rules.h"
#include "vxutil.h"

namespace keyhost {
namespace {

bool has_volume(const std::string& root)
{
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
    const BOOL ok = GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0);
    SetErrorMode(previous);
    return ok != FALSE;
}

bool file_on(const std::string& root, const char* pattern)
{
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
    const bool found = FileExisted((root + pattern).c_str()) != 0;
    SetErrorMode(previous);
    return found;
}

int kind_of(const std::string& root)
{
    const vx::disc::DriveProbe probe{
        [&] { return has_volume(root); },
        [&] { return file_on(root, "*.cda"); },
        [&] { return file_on(root, "vcd\\info.vcd"); },
        [&] { return AudioCD_FindAudioByMCI(root.c_str()) == 0; },
        [&] { return file_on(root, "AUTORUN.*"); },
        [&] { return file_on(root, "video_ts\\vts_01_0.ifo"); },
    };
    return vx::disc::classify(probe);
}

} // namespace

bool disc_for_cd_keys()
{
    char list[26 * 4 + 1] = {};
    const DWORD length = GetLogicalDriveStringsA(sizeof list - 1, list);
    if (length == 0 || length >= sizeof list)
        return false;
    for (const char* root = list; *root; root += lstrlenA(root) + 1) {
        if (GetDriveTypeA(root) != DRIVE_CDROM)
            continue;
        const int kind = kind_of(root);
        if (kind == vx::disc::kAudioCd || kind == vx::disc::kDvdVideo || kind == vx::disc::kVideoCd)
            return true;
    }
    return false;
}

} // namespace keyhost
