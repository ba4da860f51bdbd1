#include "programs.h"

#include <tlhelp32.h>

#include <cstdlib>
#include <vector>

#include "setup_config.h"
#include "setup_script.h"

namespace vx::setup {
namespace {

// Set by the launcher, to its process id, in the environment of the
// registry helper only.
constexpr char kLauncherMarker[] = "VX_SETUP_STARTED_BY_LAUNCHER";

// Starts the registry editor on one file, hidden, and does not wait for it.
void start_registry_editor(const char* windows_folder, const std::string& path)
{
    // setup runs elevated: name the editor by its full path so that no
    // regedit.exe planted beside setup or in the current folder runs.
    const std::string command = registry_import_command(windows_folder, path);
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    const std::string editor = join({windows_folder, "\\regedit.exe"});
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (CreateProcessA(editor.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

} // namespace

HANDLE start_program(const std::string& command_line, const char* working_folder, DWORD* error)
{
    std::vector<char> line(command_line.begin(), command_line.end());
    line.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, working_folder, &startup, &process)) {
        if (error)
            *error = GetLastError();
        return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

DWORD wait_for_exit_code(HANDLE process)
{
    if (!process)
        return 0;
    // Once the process has ended its code is final even when it is 259
    // (STILL_ACTIVE), so it is read once and never polled.
    DWORD code = 0;
    if (!wait_for_process(process) || !GetExitCodeProcess(process, &code))
        code = 0;
    CloseHandle(process);
    return code;
}

bool wait_for_process(HANDLE process)
{
    // An installer that broadcasts WM_SETTINGCHANGE with SendMessage, or
    // anything that sends to setup's window, waits until the window answers;
    // blocking here without answering would leave both waiting forever.
    for (;;) {
        const DWORD woke = MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_SENDMESSAGE);
        if (woke == WAIT_OBJECT_0)
            return true;
        if (woke != WAIT_OBJECT_0 + 1)
            return false;
        // Delivers the sent messages; with this filter no posted one is taken.
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

HANDLE start_registry_helper(const std::string& command_line, const char* working_folder)
{
    SetEnvironmentVariableA(kLauncherMarker, std::to_string(GetCurrentProcessId()).c_str());
    HANDLE process = start_program(command_line, working_folder);
    SetEnvironmentVariableA(kLauncherMarker, nullptr); // the installers started later do not see it
    return process;
}

DWORD parent_process_id()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    DWORD parent = 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ProcessID == GetCurrentProcessId()) {
            parent = entry.th32ParentProcessID;
            break;
        }
    CloseHandle(snapshot);
    return parent;
}

bool take_launcher_marker()
{
    char value[16] = {};
    const DWORD n = GetEnvironmentVariableA(kLauncherMarker, value, sizeof value);
    if (n == 0)
        return false;
    SetEnvironmentVariableA(kLauncherMarker, nullptr);
    if (n >= sizeof value)
        return false;
    char* end = nullptr;
    const unsigned long launcher = std::strtoul(value, &end, 10);
    // The launcher waits for its helper, so its id cannot have been reused.
    return end != value && *end == '\0' && launcher != 0 && launcher == parent_process_id();
}

RunFailure RunPreRunPrograms()
{
    RunFailure failure;
    for_each_prerun_program(script_reader(), [&](const PreRunProgram& program) {
        if (!path_fits(program.program)) {
            failure = path_too_long(program.program);
            return false;
        }
        HANDLE process = start_program(program.command_line, nullptr);
        if (!process)
            return true;
        if (program.wait)
            wait_for_process(process);
        CloseHandle(process);
        return true;
    });
    return failure;
}

std::string registry_import_command(const char* windows_folder, const std::string& reg_path)
{
    return join({"\"", windows_folder, "\\regedit.exe\" /S \"", reg_path, "\""});
}

RunFailure registry_file_paths(std::vector<std::string>& paths)
{
    RunFailure failure;
    paths.clear();
    for_each_registry_file(script_reader(), config().setup_folder, [&](const std::string& path) {
        if (!failure && !path_fits(path))
            failure = path_too_long(path);
        paths.push_back(path);
    });
    if (failure)
        paths.clear();
    return failure;
}

RunFailure AddRegistryFiles()
{
    std::vector<std::string> paths;
    if (RunFailure failure = registry_file_paths(paths))
        return failure;
    // The system-wide folder: on a Remote Desktop session host
    // GetWindowsDirectoryA gives programs a per-user folder without regedit.
    char windows_folder[kTextCapacity] = {};
    const UINT n = GetSystemWindowsDirectoryA(windows_folder, sizeof windows_folder);
    if (n == 0 || n >= sizeof windows_folder)
        return {};
    for (const std::string& path : paths)
        if (file_exists(path.c_str()))
            start_registry_editor(windows_folder, path);
    return {};
}

} // namespace vx::setup
