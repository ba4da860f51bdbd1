#include "services/system_modules.h"

#include <shlobj.h>

#include "services/profile_store.h"

namespace vx {
namespace {

std::string in_folder(const char* folder, UINT length, const char* name)
{
    if (length == 0 || length >= MAX_PATH)
        return {};
    std::string path(folder, length);
    if (path.back() != '\\')
        path += '\\';
    path += name;
    return path.size() < MAX_PATH ? path : std::string();
}

} // namespace

// IsWow64Process is looked up by name: systems before XP SP2 lack it and run
// no 32-bit process on 64 bits.
bool running_under_wow64()
{
#if defined(_WIN64)
    return false;
#else
    using IsWow64 = BOOL(WINAPI*)(HANDLE, PBOOL);
    const HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    const auto is_wow64 =
        kernel ? reinterpret_cast<IsWow64>(reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process"))) : nullptr;
    BOOL wow64 = FALSE;
    return is_wow64 && is_wow64(GetCurrentProcess(), &wow64) && wow64;
#endif
}

std::vector<std::string> common_files_folders()
{
    std::vector<std::string> folders;
    auto add = [&folders](const char* folder) {
        if (!folder[0])
            return;
        for (const std::string& known : folders) {
            if (lstrcmpiA(known.c_str(), folder) == 0)
                return;
        }
        folders.emplace_back(folder);
    };
    char folder[MAX_PATH];
    if (running_under_wow64()) {
        const DWORD n = GetEnvironmentVariableA("CommonProgramW6432", folder, sizeof folder);
        if (n > 0 && n < sizeof folder)
            add(folder);
        else if (profile::read_text(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "CommonW6432Dir",
                                    folder, sizeof folder, KEY_WOW64_64KEY))
            add(folder);
    }
    for (int csidl : {CSIDL_PROGRAM_FILES_COMMON, CSIDL_PROGRAM_FILES_COMMONX86}) {
        if (SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder)))
            add(folder);
    }
    return folders;
}

std::string system_folder_file(const char* name)
{
    char folder[MAX_PATH];
    return in_folder(folder, GetSystemDirectoryA(folder, sizeof folder), name);
}

std::string native_system_program(const char* name)
{
    if (running_under_wow64()) {
        char folder[MAX_PATH];
        const std::string sysnative = in_folder(folder, GetSystemWindowsDirectoryA(folder, sizeof folder),
                                                (std::string("Sysnative\\") + name).c_str());
        if (!sysnative.empty() && GetFileAttributesA(sysnative.c_str()) != INVALID_FILE_ATTRIBUTES)
            return sysnative;
    }
    return system_folder_file(name);
}

HMODULE load_system_library(const char* name)
{
    const std::string path = system_folder_file(name);
    return path.empty() ? nullptr : LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

} // namespace vx
