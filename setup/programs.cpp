#include "programs.h"

#include <vector>

#include "setup_config.h"
#include "setup_script.h"

namespace vx::setup {
namespace {

// Set by the launcher in the environment of the registry helper only.
constexpr char kLauncherMarker[] = "VX_SETUP_STARTED_BY_LAUNCHER";

} // namespace

HANDLE start_program(const std::string& command_line, const char* working_folder)
{
    std::vector<char> line(command_line.begin(), command_line.end());
    line.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, working_folder, &startup, &process))
        return nullptr;
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
    SetEnvironmentVariableA(kLauncherMarker, "1");
    HANDLE process = start_program(command_line, working_folder);
    SetEnvironmentVariableA(kLauncherMarker, nullptr); // the installers started later do not see it
    return process;
}

bool started_by_launcher()
{
    return GetEnvironmentVariableA(kLauncherMarker, nullptr, 0) != 0;
}

void RunPreRunPrograms()
{
    for (const std::string& key : script_section_keys("PreRun Programs")) {
        // Folder, parameters, wait flag; all three start empty for each entry.
        const std::vector<std::string> fields = script_fields(script_value("PreRun Programs", key.c_str()), 3);
        const std::string command = join({"\"", fields[0], "\\", key, "\" ", fields[1]});
        HANDLE process = start_program(command, nullptr);
        if (!process)
            continue;
        // "1" has no case to ignore; a locale-aware compare would also need
        // LOCALE_INVARIANT, which Windows before XP rejects.
        if (fields[2] == "1")
            wait_for_process(process);
        CloseHandle(process);
    }
}

std::string registry_import_command(const char* windows_folder, const std::string& reg_path)
{
    return join({"\"", windows_folder, "\\regedit.exe\" /S \"", reg_path, "\""});
}

void AddRegistryFiles()
{
    const SetupConfig& c = config();
    // The system-wide folder: on a Remote Desktop session host
    // GetWindowsDirectoryA gives programs a per-user folder without regedit.
    char windows_folder[kTextCapacity] = {};
    const UINT n = GetSystemWindowsDirectoryA(windows_folder, sizeof windows_folder);
    if (n == 0 || n >= sizeof windows_folder)
        return;
    for (const std::string& key : script_section_keys("Add Registry Files")) {
        // Field 1 names the file; field 2 is read and not used.
        const std::vector<std::string> fields = script_fields(script_value("Add Registry Files", key.c_str()), 2);
        const std::string path = join({c.setup_folder, "\\", fields[0]});
        if (!file_exists(path.c_str()))
            continue;
        // setup runs elevated: name the editor by its full path so that no
        // regedit.exe planted beside setup or in the current folder runs.
        std::vector<char> line;
        const std::string command = registry_import_command(windows_folder, path);
        line.assign(command.begin(), command.end());
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
}

} // namespace vx::setup
