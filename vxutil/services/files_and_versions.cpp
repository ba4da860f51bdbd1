// File existence, version resources, the executable behind a window, the
// search for a program by its displayed title, and the Start-menu folders.
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cstring>
#include <string>
#include <vector>

#include "services/system_modules.h"
#include "core/text_fields.h"
#include "core/version_string.h"
#include "export_guard.h"
#include "vxutil.h"

namespace vx::files {
namespace {

// A file's version resource, read into a fixed global block as long as the
// object lives.
class VersionResource {
public:
    explicit VersionResource(const char* path)
    {
        if (!FileExisted(path))
            return;
        DWORD handle = 0;
        const DWORD size = GetFileVersionInfoSizeA(path, &handle);
        if (size == 0)
            return;
        block_ = GlobalAlloc(GMEM_FIXED, size);
        if (block_ && !GetFileVersionInfoA(path, 0, size, block_)) {
            GlobalFree(block_);
            block_ = nullptr;
        }
    }
    ~VersionResource()
    {
        if (block_)
            GlobalFree(block_);
    }
    VersionResource(const VersionResource&) = delete;
    VersionResource& operator=(const VersionResource&) = delete;
    explicit operator bool() const { return block_ != nullptr; }

    bool query(const char* sub_block, void** value, UINT* length) const
    {
        return block_ && VerQueryValueA(block_, sub_block, value, length) && *value;
    }

    // A string value of the first translation: its text (not necessarily
    // terminated within `length`) and length in characters.
    std::string_view string_value(std::string_view name) const
    {
        void* translation = nullptr;
        UINT length = 0;
        if (!query("\\VarFileInfo\\Translation", &translation, &length) || length < 4)
            return {};
        const auto* words = static_cast<const WORD*>(translation);
        const std::string path = version_value_path(words[0], words[1], name);
        void* value = nullptr;
        if (!query(path.c_str(), &value, &length))
            return {};
        const char* text = static_cast<const char*>(value);
        std::size_t n = 0;
        while (n < length && text[n])
            ++n;
        return {text, n};
    }

private:
    HGLOBAL block_ = nullptr;
};

// Copies `name` into `out` only when it fits with its terminating zero.
int copy_if_fits(const char* name, char* out, int size)
{
    if (!out || size <= 0)
        return 0;
    const std::size_t length = std::strlen(name);
    if (length + 1 > static_cast<std::size_t>(size))
        return 0;
    std::memcpy(out, name, length + 1);
    return 1;
}

// Vista and later: the image name asks only for limited query rights, which
// are granted for elevated processes too, and works from a 32-bit process
// on a 64-bit one (whose modules a WOW64 process cannot enumerate). -1 when
// the system lacks the call, so the PSAPI way is taken.
int window_file_by_image_name(DWORD process_id, char* path, int size)
{
    using ImageName = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);
    const HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    const auto image_name = kernel ? reinterpret_cast<ImageName>(reinterpret_cast<void*>(
                                         GetProcAddress(kernel, "QueryFullProcessImageNameA")))
                                   : nullptr;
    if (!image_name)
        return -1;
    int copied = 0;
    if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id)) {
        char name[MAX_PATH];
        DWORD length = sizeof name;
        if (image_name(process, 0, name, &length) && length < sizeof name) {
            name[length] = '\0';
            copied = copy_if_fits(name, path, size);
        }
        CloseHandle(process);
    }
    return copied;
}

int window_file_nt(DWORD process_id, char* path, int size)
{
    const int by_image_name = window_file_by_image_name(process_id, path, size);
    if (by_image_name >= 0)
        return by_image_name;
    HMODULE psapi = load_system_library("PSAPI.DLL");
    if (!psapi)
        return 0;
    using EnumModules = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, LPDWORD);
    using ModuleFileName = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
    const auto enum_modules =
        reinterpret_cast<EnumModules>(reinterpret_cast<void*>(GetProcAddress(psapi, "EnumProcessModules")));
    const auto module_file_name =
        reinterpret_cast<ModuleFileName>(reinterpret_cast<void*>(GetProcAddress(psapi, "GetModuleFileNameExA")));
    int copied = 0;
    if (enum_modules && module_file_name) {
        if (HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process_id)) {
            HMODULE first = nullptr;
            DWORD needed = 0;
            char name[MAX_PATH];
            if (enum_modules(process, &first, sizeof first, &needed) &&
                module_file_name(process, first, name, sizeof name) > 0) {
                name[sizeof name - 1] = '\0';
                copied = copy_if_fits(name, path, size);
            }
            CloseHandle(process);
        }
    }
    FreeLibrary(psapi);
    return copied;
}

int window_file_snapshot(DWORD process_id, char* path, int size)
{
    HMODULE kernel = load_system_library("KERNEL32.DLL");
    if (!kernel)
        return 0;
    using Snapshot = HANDLE(WINAPI*)(DWORD, DWORD);
    using Walk = BOOL(WINAPI*)(HANDLE, LPPROCESSENTRY32);
    const auto snapshot =
        reinterpret_cast<Snapshot>(reinterpret_cast<void*>(GetProcAddress(kernel, "CreateToolhelp32Snapshot")));
    const auto first = reinterpret_cast<Walk>(reinterpret_cast<void*>(GetProcAddress(kernel, "Process32First")));
    const auto next = reinterpret_cast<Walk>(reinterpret_cast<void*>(GetProcAddress(kernel, "Process32Next")));
    int copied = 0;
    if (snapshot && first && next) {
        HANDLE processes = snapshot(TH32CS_SNAPPROCESS, 0);
        if (processes != INVALID_HANDLE_VALUE) {
            PROCESSENTRY32 entry{};
            entry.dwSize = sizeof entry;
            for (BOOL more = first(processes, &entry); more; more = next(processes, &entry)) {
                if (entry.th32ProcessID == process_id) {
                    entry.szExeFile[sizeof entry.szExeFile - 1] = '\0';
                    copied = copy_if_fits(entry.szExeFile, path, size);
                    break;
                }
            }
            CloseHandle(processes);
        }
    }
    FreeLibrary(kernel);
    return copied;
}

// Appends "\" and `name` to the folder in `path`; false when it would not
// fit in MAX_PATH, so a deep tree is cut off instead of overflowing.
bool join(char (&path)[MAX_PATH], const char* folder, const char* name)
{
    const std::size_t a = std::strlen(folder), b = std::strlen(name);
    if (a + 1 + b >= sizeof path)
        return false;
    std::memmove(path, folder, a);
    path[a] = '\\';
    std::memcpy(path + a + 1, name, b + 1);
    return true;
}

bool is_dot_entry(const char* name)
{
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

int find_program(const char* folder, const char* title, char* result)
{
    char pattern[MAX_PATH];
    if (!join(pattern, folder, "*.*"))
        return 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int hit = 0;
    do {
        if (is_dot_entry(found.cFileName))
            continue;
        char path[MAX_PATH];
        if (!join(path, folder, found.cFileName))
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            hit = find_program(path, title, result);
        } else {
            char shown[MAX_PATH];
            if (GetFileTitleA(found.cFileName, shown, sizeof shown) == 0 && lstrcmpiA(shown, title) == 0) {
                if (result)
                    text::copy_text(result, MAX_PATH, path);
                hit = 1;
            }
        }
    } while (!hit && FindNextFileA(search, &found));
    FindClose(search);
    return hit;
}

// The common folder if it exists, else the user's; the output is left alone
// when neither does.
int special_folder(int common, int user, char* path)
{
    IMalloc* allocator = nullptr;
    const HRESULT hr = SHGetMalloc(&allocator);
    if (FAILED(hr))
        return hr;
    HRESULT result = E_FAIL;
    for (int csidl : {common, user}) {
        LPITEMIDLIST items = nullptr;
        result = SHGetSpecialFolderLocation(nullptr, csidl, &items);
        if (SUCCEEDED(result) && items) {
            char folder[MAX_PATH];
            if (SHGetPathFromIDListA(items, folder) && path)
                text::copy_text(path, MAX_PATH, folder);
            allocator->Free(items);
            break;
        }
    }
    allocator->Release();
    return result;
}

} // namespace
} // namespace vx::files

using namespace vx::files;

extern "C" int WINAPI FileExisted(const char* path)
{
    if (!path || !*path)
        return 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(search);
    return 1;
}

extern "C" int WINAPI GetFileVersionFromNumber(const char* path, DWORD* high, DWORD* low)
{
    VersionResource resource(path);
    void* value = nullptr;
    UINT length = 0;
    if (!resource.query("\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO))
        return 0;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    if (high)
        *high = fixed->dwFileVersionMS;
    if (low)
        *low = fixed->dwFileVersionLS;
    return 1;
}

extern "C" int WINAPI GetFileVersionFromString(const char* path, DWORD* high, DWORD* low)
{
    return vx::guarded<int>(0, [&]() -> int {
        VersionResource resource(path);
        const std::string_view text = resource.string_value("FileVersion");
        if (text.empty())
            return 0;
        const FileVersion version = parse_version_string(text);
        if (high)
            *high = version.high;
        if (low)
            *low = version.low;
        return 1;
    });
}

extern "C" int WINAPI GetFileDescription(const char* path, char* text, int size)
{
    return vx::guarded<int>(0, [&]() -> int {
        VersionResource resource(path);
        if (!resource || !text || size <= 0)
            return 0;
        const std::string_view description = resource.string_value("FileDescription");
        if (description.empty() || description.size() + 1 > static_cast<std::size_t>(size))
            return 0;
        vx::text::copy_text(text, static_cast<std::size_t>(size), description);
        return 1;
    });
}

extern "C" int WINAPI GetWndFileName(HWND window, char* path, int size)
{
    return vx::guarded<int>(0, [&]() -> int {
        DWORD process_id = 0;
        if (!GetWindowThreadProcessId(window, &process_id))
            return 0;
        return IsNT() ? window_file_nt(process_id, path, size) : window_file_snapshot(process_id, path, size);
    });
}

extern "C" int WINAPI FindProgram(const char* folder, const char* title, char* path)
{
    if (!folder || !title)
        return 0;
    return find_program(folder, title, path);
}

extern "C" int WINAPI FindProgramPath(const char* title, const char* folder, char* path)
{
    if (path)
        path[0] = '\0';
    if (!title || !*title)
        return 0;
    char start[MAX_PATH] = "";
    if (folder && *folder) {
        // A cut folder name would search somewhere else.
        if (std::strlen(folder) >= sizeof start)
            return 0;
        vx::text::copy_text(start, sizeof start, folder);
    } else {
        LPITEMIDLIST items = nullptr;
        bool found = false;
        if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_PROGRAMS, &items)) && items) {
            found = SHGetPathFromIDListA(items, start) != FALSE;
            CoTaskMemFree(items);
        }
        if (!found && GetWindowsDirectoryA(start, sizeof start) == 0)
            return 0;
    }
    char result[MAX_PATH];
    if (!find_program(start, title, result))
        return 0;
    if (path)
        vx::text::copy_text(path, MAX_PATH, result);
    return 1;
}

extern "C" int WINAPI GetStartMenuPath(char* path)
{
    return special_folder(CSIDL_COMMON_STARTMENU, CSIDL_STARTMENU, path);
}

extern "C" int WINAPI GetProgramMenuPath(char* path)
{
    return special_folder(CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS, path);
}
