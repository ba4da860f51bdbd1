#include "setup/setup_folder.h"

#include <tlhelp32.h>

#include <algorithm>
#include <thread>

#include "support/pe_exports.h"

namespace vxtest {
namespace {

std::wstring widen(const std::string& text)
{
    std::wstring out(text.size(), L'\0');
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                      static_cast<int>(out.size()));
    out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return out;
}

// A path for the wide file functions without the MAX_PATH limit.
std::wstring unlimited(const std::wstring& path) { return L"\\\\?\\" + path; }

void remove_tree(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW(unlimited(folder + L"\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                remove_tree(path);
            else
                DeleteFileW(unlimited(path).c_str());
        } while (FindNextFileW(h, &found));
        FindClose(h);
    }
    RemoveDirectoryW(unlimited(folder).c_str());
}

// The ANSI name of a wide path: itself when it converts back unchanged, else
// its short form.
std::string ansi_name(const std::wstring& path)
{
    auto narrow = [](const std::wstring& w) {
        std::string out(w.size() * 2 + 1, '\0');
        const int n = WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), out.data(),
                                          static_cast<int>(out.size()), nullptr, nullptr);
        out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return out;
    };
    std::string name = narrow(path);
    if (widen(name) == path)
        return name;
    std::wstring short_form(32768, L'\0');
    const DWORD n = GetShortPathNameW(path.c_str(), short_form.data(), static_cast<DWORD>(short_form.size()));
    short_form.resize(n < short_form.size() ? n : 0);
    return narrow(short_form);
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

SetupFolder::SetupFolder(const std::string& name_hint, SetupPrograms programs)
    : SetupFolder(widen(name_hint), std::move(programs))
{
}

SetupFolder::SetupFolder(const std::wstring& name_hint, SetupPrograms programs) : programs_(std::move(programs))
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    static unsigned counter = 0;
    root_ = std::wstring(temp) + L"vxsetup " + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter) + L" " + name_hint;
    CreateDirectoryW(root_.c_str(), nullptr);
    wide_ = root_;
    path_ = ansi_name(wide_);
}

SetupFolder::~SetupFolder()
{
    // Programs started by a test may still hold their files for a moment.
    eventually([&] {
        remove_tree(root_);
        return GetFileAttributesW(unlimited(root_).c_str()) == INVALID_FILE_ATTRIBUTES;
    }, std::chrono::seconds(3));
}

void SetupFolder::nest_to(std::size_t length)
{
    while (wide_.size() < length) {
        // Names of at most 100 characters; each leaves room for the next one.
        const std::size_t rest = length - wide_.size() - 1;
        const std::size_t part = rest <= 100 ? rest : std::min<std::size_t>(100, rest - 2);
        wide_ += L"\\" + std::wstring(part, L'n');
        CreateDirectoryW(unlimited(wide_).c_str(), nullptr);
    }
    path_ = ansi_name(wide_);
}

HANDLE SetupFolder::start(const std::string& name, const std::string& args) const
{
    std::wstring program = wide_ + L"\\" + widen(name);
    // A program path beyond MAX_PATH cannot be started; the shell starts such
    // a program by its short form (which Wine turns back into the long path
    // the program sees as its own).
    if (program.size() >= MAX_PATH) {
        std::wstring short_form(32768, L'\0');
        const DWORD n = GetShortPathNameW(program.c_str(), short_form.data(), static_cast<DWORD>(short_form.size()));
        program = short_form.substr(0, n < short_form.size() ? n : 0);
    }
    std::wstring line = L"\"" + program + L"\"";
    if (!args.empty())
        line += L" " + widen(args);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, wide_.c_str(), &startup,
                        &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

std::wstring SetupFolder::wide_file(const std::string& name) const { return unlimited(wide_ + L"\\" + widen(name)); }

void SetupFolder::write(const std::string& name, const std::string& text) const
{
    HANDLE f = CreateFileW(wide_file(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(f);
}

void SetupFolder::install(const std::string& program, const std::string& as_name) const
{
    CopyFileW(widen(program).c_str(), wide_file(as_name).c_str(), FALSE);
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
    const std::string text = read_text(wide_file(base + ".log"));
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
            else if (key == "env")
                runs.back().env = value;
            else if (key == "start")
                runs.back().start = number(value);
            else if (key == "end")
                runs.back().end = number(value);
        }
    }
    return runs;
}

std::string read_text(const std::string& path) { return read_text(widen(path)); }

std::string read_text(const std::wstring& path)
{
    std::string text;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
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
