#include "setup/setup_folder.h"

#include <tlhelp32.h>

#include <thread>

#include "support/pe_exports.h"

namespace vxtest {
namespace {

void remove_tree(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                remove_tree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(h, &found));
        FindClose(h);
    }
    RemoveDirectoryA(folder.c_str());
}

unsigned long long number(const std::string& text) { return std::strtoull(text.c_str(), nullptr, 10); }

std::string program_path(const char* variable, const char* built_name)
{
    char path[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableA(variable, path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(path, n) : program_folder() + built_name;
}

} // namespace

SetupPrograms built_programs()
{
    // The x86 build is the launcher itself; its helper is an x64 build.
    const bool x64 = sizeof(void*) == 8;
    return {program_path("VX_SETUP_LAUNCHER", x64 ? "setup-launcher.exe" : "setup.exe"),
            program_path("VX_SETUP_HELPER", x64 ? "setup.exe" : "Zondrel.exe"),
            program_path("VX_SETUP_STAND_IN", "stand_in.exe")};
}

SetupFolder::SetupFolder(const std::string& name_hint, SetupPrograms programs) : programs_(std::move(programs))
{
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    static unsigned counter = 0;
    std::string base = std::string(temp) + "vxsetup " + std::to_string(GetCurrentProcessId()) + "-" +
                       std::to_string(++counter) + " " + name_hint;
    CreateDirectoryA(base.c_str(), nullptr);
    path_ = base;
}

SetupFolder::~SetupFolder()
{
    // Programs started by a test may still hold their files for a moment.
    eventually([&] {
        remove_tree(path_);
        return GetFileAttributesA(path_.c_str()) == INVALID_FILE_ATTRIBUTES;
    }, std::chrono::seconds(3));
}

void SetupFolder::write(const std::string& name, const std::string& text) const
{
    HANDLE f = CreateFileA(file(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(f);
}

void SetupFolder::install(const std::string& program, const std::string& as_name) const
{
    CopyFileA(program.c_str(), file(as_name).c_str(), FALSE);
}

void SetupFolder::stand_in(const std::string& name, DWORD exit_code, DWORD sleep_ms,
                           const std::string& more_settings) const
{
    install(programs_.stand_in, name);
    const std::string base = name.substr(0, name.find_last_of('.'));
    write(base + ".ini", "[stand_in]\r\nExitCode=" + std::to_string(exit_code) + "\r\nSleepMs=" +
                             std::to_string(sleep_ms) + "\r\n" + more_settings);
}

std::vector<StandInRun> SetupFolder::runs(const std::string& name) const
{
    const std::string base = name.substr(0, name.find_last_of('.'));
    const std::string text = read_text(file(base + ".log"));
    std::vector<StandInRun> runs;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t eol = text.find("\r\n", at);
        if (eol == std::string::npos)
            break;
        const std::string line = text.substr(at, eol - at);
        at = eol + 2;
        if (line == "[run]") {
            runs.emplace_back();
        } else if (!runs.empty()) {
            const std::size_t eq = line.find('=');
            const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
            if (key == "cmdline")
                runs.back().cmdline = value;
            else if (key == "cwd")
                runs.back().cwd = value;
            else if (key == "start")
                runs.back().start = number(value);
            else if (key == "end")
                runs.back().end = number(value);
        }
    }
    return runs;
}

std::string read_text(const std::string& path)
{
    std::string text;
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(f, buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    CloseHandle(f);
    return text;
}

bool eventually(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    const auto stop = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > stop)
            return done();
        Sleep(20);
    }
    return true;
}

std::size_t running_children(const std::string& exe_name)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    std::size_t n = 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        n += entry.th32ParentProcessID == GetCurrentProcessId() && lstrcmpiA(entry.szExeFile, exe_name.c_str()) == 0;
    CloseHandle(snapshot);
    return n;
}

HANDLE launch(const std::string& program, const std::string& args, const std::string& folder)
{
    std::string line = "\"" + program + "\"";
    if (!args.empty())
        line += " " + args;
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

DWORD finish(HANDLE process, DWORD limit_ms)
{
    if (!process)
        return ~0u;
    DWORD code = ~0u;
    if (WaitForSingleObject(process, limit_ms) == WAIT_OBJECT_0)
        GetExitCodeProcess(process, &code);
    else
        TerminateProcess(process, 99);
    CloseHandle(process);
    return code;
}

std::string read_registry_string(HKEY root, const std::string& key, const std::string& name)
{
    char value[1024] = {};
    DWORD size = sizeof value - 1;
    if (RegGetValueA(root, key.c_str(), name.empty() ? nullptr : name.c_str(), RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return {};
    return value;
}

void delete_registry_tree(HKEY root, const std::string& key)
{
    RegDeleteTreeA(root, key.c_str());
    RegDeleteKeyA(root, key.c_str());
}

void set_registry_string(HKEY root, const std::string& key, const std::string& name, const std::string& value)
{
    HKEY h = nullptr;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(h, name.empty() ? nullptr : name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(h);
}

EmulatedVersion::EmulatedVersion(const std::string& exe_name, const std::string& version)
    : key_("Software\\Wine\\AppDefaults\\" + exe_name)
{
    set_registry_string(HKEY_CURRENT_USER, key_, "Version", version);
}

EmulatedVersion::~EmulatedVersion()
{
    delete_registry_tree(HKEY_CURRENT_USER, key_);
}

} // namespace vxtest
