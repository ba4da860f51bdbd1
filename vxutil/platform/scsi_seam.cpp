#include "platform/scsi_seam.h"

#include <string>

namespace vx::platform {
namespace {

HMODULE load_system_aspi()
{
    char folder[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryA(folder, sizeof folder);
    if (n == 0 || n >= sizeof folder)
        return nullptr;
    std::string path(folder, n);
    if (path.back() != '\\')
        path += '\\';
    path += "WNASPI32.DLL";
    // The full path plus the altered search path keeps the library's own
    // imports resolving from its folder, not from the host's.
    return LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

} // namespace

ScsiSeam& scsi()
{
    static ScsiSeam seam{::GetLogicalDriveStringsA, ::GetDriveTypeA, ::GetVolumeInformationA, ::CreateFileA,
                         ::DeviceIoControl,         ::CloseHandle,   load_system_aspi,         ::GetProcAddress,
                         ::FreeLibrary};
    return seam;
}

} // namespace vx::platform
