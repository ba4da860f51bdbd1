// The uninstall-log writers: files and folders that the uninstaller deletes,
// recorded under the product's uninstall entry in HKEY_LOCAL_MACHINE, and the
// shared-file list of the vendor key that counts which products installed a
// file of a given name.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "export_guard.h"
#include "vxutil.h"

namespace vx::uninstall_log {
namespace {

constexpr char kUninstallRoot[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr char kSharedFileRoot[] = "Software\\Quorvel\\Uninstall\\SharedFile\\";

// Key paths are limited as the registry tools of the time limit them; a path
// that would not fit is not written at all rather than written truncated
// under another key.
constexpr std::size_t kKeyPathMax = MAX_PATH - 1;

bool present(const char* name) { return name && *name; }

std::optional<std::string> key_path(std::string_view root, std::string_view name, std::string_view tail = {})
{
    std::string path;
    path.append(root).append(name).append(tail);
    if (path.size() > kKeyPathMax)
        return std::nullopt;
    return path;
}

bool entry_exists(const std::string& entry)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, entry.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

LONG set_string(const std::string& key_name, const char* value_name, const std::string& data)
{
    HKEY key = nullptr;
    LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, key_name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (result != ERROR_SUCCESS)
        return result;
    result = RegSetValueExA(key, value_name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>(data.size() + 1));
    RegCloseKey(key);
    return result;
}

struct SplitPath {
    std::string folder;
    std::string file;
};

SplitPath split(std::string_view path)
{
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string_view::npos)
        return {"", std::string(path)};
    return {std::string(path.substr(0, slash)), std::string(path.substr(slash + 1))};
}

LONG record_file(const SplitPath& file, const char* entry_name)
{
    const auto entry = key_path(kUninstallRoot, entry_name);
    if (!entry || !entry_exists(*entry))
        return ERROR_FILE_NOT_FOUND;
    const auto delete_files = key_path(*entry, "\\DeleteFiles");
    if (!delete_files)
        return ERROR_FILENAME_EXCED_RANGE;
    LONG result = set_string(*delete_files, file.file.c_str(), file.folder);
    if (result != ERROR_SUCCESS)
        return result;
    const auto shared = key_path(kSharedFileRoot, file.file);
    if (!shared)
        return ERROR_FILENAME_EXCED_RANGE;
    return set_string(*shared, entry_name, file.folder);
}

LONG record_directory(const char* value_name, const char* data, const char* entry_name)
{
    const auto entry = key_path(kUninstallRoot, entry_name);
    if (!entry || !entry_exists(*entry))
        return ERROR_FILE_NOT_FOUND;
    const auto delete_directory = key_path(*entry, "\\DeleteDirectory");
    if (!delete_directory)
        return ERROR_FILENAME_EXCED_RANGE;
    return set_string(*delete_directory, value_name ? value_name : "", data ? data : "");
}

} // namespace
} // namespace vx::uninstall_log

using namespace vx::uninstall_log;

extern "C" int WINAPI CreateUninstallDeleteFileRegistry(const char* path, const char* first, const char* second)
{
    return vx::guarded<int>(ERROR_OUTOFMEMORY, [&]() -> int {
        if (!path)
            return 0;
        const SplitPath file = split(path);
        if (present(first))
            record_file(file, first);
        return present(second) ? static_cast<int>(record_file(file, second)) : 0;
    });
}

extern "C" int WINAPI CreateUninstallDeleteDirRegistry(const char* name, const char* data, const char* first,
                                                       const char* second)
{
    return vx::guarded<int>(ERROR_OUTOFMEMORY, [&]() -> int {
        if (present(first))
            record_directory(name, data, first);
        return present(second) ? static_cast<int>(record_directory(name, data, second)) : 0;
    });
}
