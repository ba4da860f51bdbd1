#include "programs.h"

#include <vector>

#include "setup_config.h"
#include "setup_script.h"

namespace vx::setup {
namespace {

bool equals_ignoring_case(const std::string& a, const char* b)
{
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1, b, -1) == CSTR_EQUAL;
}

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
    if (WaitForSingleObject(process, INFINITE) != WAIT_OBJECT_0 || !GetExitCodeProcess(process, &code))
        code = 0;
    CloseHandle(process);
    return code;
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
        if (equals_ignoring_case(fields[2], "1"))
            WaitForSingleObject(process, INFINITE);
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
    char windows_folder[kTextCapacity] = {};
    const UINT n = GetWindowsDirectoryA(windows_folder, sizeof windows_folder);
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
