// Starting programs through the shell and bringing their windows forward:
// LaunchProgram and the launch keys (mail, web, calculator, help, My
// Documents, system information, Word, Excel, display switch), the search
// for a program's window by its file, and synthesized key chords.
#include "buttons/launch/launchers.h"
#include "buttons/launch/window_control.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/input_seam.h"
#include "services/com_scope.h"
#include "services/profile_store.h"
#include "services/system_modules.h"
#include "platform/system_seam.h"
#include "core/text_fields.h"
#include "export_guard.h"
#include "vxutil.h"

namespace vx::launchers {
namespace {

constexpr char kMailClients[] = "Software\\Clients\\Mail";
constexpr char kMessenger[] = "Netscape Messenger";
constexpr char kMessengerCommand[] = "Protocols\\mailto\\shell\\open\\command";
constexpr char kMessengerParameters[] = "-mail";
constexpr char kInternetExplorerMain[] = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
constexpr int kActivationTries = 10;
constexpr DWORD kActivationPauseMs = 100;

struct LauncherState {
    int mail_process = 0;
    HWND own_window = nullptr;
};

LauncherState& state()
{
    static LauncherState s;
    return s;
}

// The process-snapshot entry points, looked up once in KERNEL32.
struct Toolhelp {
    using Snapshot = HANDLE(WINAPI*)(DWORD, DWORD);
    using ProcessWalk = BOOL(WINAPI*)(HANDLE, LPPROCESSENTRY32);
    Snapshot create = nullptr;
    ProcessWalk first = nullptr;
    ProcessWalk next = nullptr;
    bool usable() const { return create && first && next; }
};

const Toolhelp& toolhelp()
{
    static const Toolhelp t = [] {
        Toolhelp r;
        // KERNEL32 is mapped in every process; no search for a file happens.
        if (HMODULE kernel = GetModuleHandleA("KERNEL32.DLL")) {
            r.create = reinterpret_cast<Toolhelp::Snapshot>(
                reinterpret_cast<void*>(GetProcAddress(kernel, "CreateToolhelp32Snapshot")));
            r.first = reinterpret_cast<Toolhelp::ProcessWalk>(
                reinterpret_cast<void*>(GetProcAddress(kernel, "Process32First")));
            r.next = reinterpret_cast<Toolhelp::ProcessWalk>(
                reinterpret_cast<void*>(GetProcAddress(kernel, "Process32Next")));
        }
        return r;
    }();
    return t;
}

struct ProcessEntry {
    DWORD id;
    DWORD parent;
    std::string exe;
};

// The processes of a snapshot; empty when snapshots are not available.
std::vector<ProcessEntry> process_list()
{
    std::vector<ProcessEntry> list;
    const auto& t = toolhelp();
    if (!t.usable())
        return list;
    HANDLE snapshot = t.create(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return list;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = t.first(snapshot, &entry); more; more = t.next(snapshot, &entry)) {
        entry.szExeFile[sizeof entry.szExeFile - 1] = '\0';
        list.push_back({entry.th32ProcessID, entry.th32ParentProcessID, entry.szExeFile});
    }
    CloseHandle(snapshot);
    return list;
}

// A child of this process in `after` that `before` did not hold.
DWORD new_child(const std::vector<ProcessEntry>& before, const std::vector<ProcessEntry>& after)
{
    const DWORD self = GetCurrentProcessId();
    for (const auto& p : after) {
        if (p.parent != self)
            continue;
        bool known = false;
        for (const auto& b : before)
            known = known || (b.id == p.id && b.parent == p.parent);
        if (!known)
            return p.id;
    }
    return 0;
}

DWORD process_of(HWND window)
{
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    return id;
}

// A parentless top-level window of this process, cached between calls.
HWND own_window()
{
    const DWORD self = GetCurrentProcessId();
    HWND& cached = state().own_window;
    if (cached && IsWindow(cached) && process_of(cached) == self)
        return cached;
    cached = nullptr;
    for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (!GetParent(w) && process_of(w) == self) {
            cached = w;
            break;
        }
    }
    return cached;
}

BOOL CALLBACK count_one(HWND, LPARAM param)
{
    ++*reinterpret_cast<int*>(param);
    return TRUE;
}

int count_descendants(HWND window)
{
    int count = 0;
    EnumChildWindows(window, count_one, reinterpret_cast<LPARAM>(&count));
    return count;
}

// Reads "<App Paths>\<program>" value "Path"; false when absent.
bool app_path(const char* program, char* path, int size)
{
    char key[MAX_PATH];
    std::string name = std::string(kAppPaths) + program;
    if (name.size() >= sizeof key)
        return false;
    vx::text::copy_text(key, sizeof key, name);
    path[0] = '\0';
    return vx::profile::read_text_any_view(HKEY_LOCAL_MACHINE, key, "Path", path, size) != 0;
}

// Starts `program` from the folder App Paths names, by its full path there.
// A program missing from that folder is not looked for elsewhere: a bare
// name would be found in the host's current folder or on the search path,
// where any program of that name could wait.
int launch_from_app_path(const char* program, const char* folder)
{
    std::string path(folder);
    if (!path.empty() && path.back() != '\\')
        path += '\\';
    path += program;
    if (path.size() >= MAX_PATH || !FileExisted(path.c_str()))
        return 0;
    return LaunchProgram(path.c_str(), nullptr, folder, nullptr);
}

// Starts a program of the system folder by its full path; 0 when it is not
// there or does not start.
int launch_system_program(const char* program)
{
    const std::string path = vx::native_system_program(program);
    return !path.empty() && FileExisted(path.c_str()) ? LaunchProgram(path.c_str(), nullptr, nullptr, nullptr) : 0;
}

// Excel Starter's launcher in the shared Common Files folder (of either
// architecture; "" when neither holds it).
std::string excel_starter_launcher()
{
    for (const std::string& folder : vx::common_files_folders()) {
        const std::string path = folder + "\\microsoft shared\\Virtualization Handler\\CVH.EXE";
        if (path.size() < MAX_PATH && FileExisted(path.c_str()))
            return path;
    }
    return {};
}

void send_display_switch_chord()
{
    const WORD chord[4] = {VK_LWIN, 0, 'P', 0};
    SimulateKeyStroke(2, chord);
}

} // namespace

void reset_for_tests()
{
    state() = LauncherState{};
}

} // namespace vx::launchers

using namespace vx::launchers;

extern "C" int WINAPI LaunchProgram(const char* file, const char* parameters, const char* directory, int* process_id)
{
    return vx::guarded<int>(0, [&]() -> int {
        if (!file)
            return 0;
        std::vector<ProcessEntry> before;
        if (process_id)
            before = process_list();

        SHELLEXECUTEINFOA info{};
        info.cbSize = sizeof info;
        // No asynchronous finish: the shell call may run on a thread that
        // ends right after it.
        info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
        info.lpFile = file;
        info.lpParameters = parameters;
        info.lpDirectory = directory;
        info.nShow = SW_SHOWNORMAL;

        // The shell may hand the start to extensions that are COM objects;
        // the input sharing and activation around it belong to this thread.
        const auto execute = [&info] { return vx::with_com([&info] { return ShellExecuteExA(&info); }); };
        BOOL started;
        if (IsWin2000orLater()) {
            // Sharing input with the foreground thread lets the new program take
            // the foreground; never with a thread that does not answer, or the
            // activation below would wait for it.
            const HWND foreground = GetForegroundWindow();
            const DWORD front = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0;
            const DWORD self = GetCurrentThreadId();
            const bool attached = front && front != self && vx::windows::answers_promptly(foreground) &&
                                  AttachThreadInput(front, self, TRUE);
            if (HWND mine = own_window())
                ActivateWindow(mine);
            started = execute();
            if (attached)
                AttachThreadInput(front, self, FALSE);
        } else {
            started = execute();
        }
        if (info.hProcess)
            CloseHandle(info.hProcess);

        if (process_id) {
            // Only a process this call started is reported and brought
            // forward; an id the caller left in the output names some older
            // program, which must not jump in front.
            *process_id = static_cast<int>(new_child(before, process_list()));
            if (*process_id) {
                int tries = 0;
                while (!ActivateWindowByProcessId(*process_id, 0)) {
                    if (++tries == kActivationTries) {
                        *process_id = 0;
                        break;
                    }
                    vx::platform::os().Sleep(kActivationPauseMs);
                }
            }
        }
        return started ? 1 : 0;
    });
}

extern "C" HWND WINAPI FindWindowByPath(const char* path)
{
    if (!path)
        return nullptr;
    HWND best = nullptr;
    int best_count = -1;
    for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (GetParent(w) || !IsWindowVisible(w))
            continue;
        char name[MAX_PATH];
        if (!GetWndFileName(w, name, sizeof name))
            continue;
        char short_name[MAX_PATH] = "";
        const DWORD n = GetShortPathNameA(name, short_name, sizeof short_name);
        const bool matches = lstrcmpiA(path, name) == 0 || (n > 0 && n < sizeof short_name && lstrcmpiA(path, short_name) == 0);
        if (!matches)
            continue;
        const int count = count_descendants(w);
        if (count > best_count) {
            best = w;
            best_count = count;
        }
    }
    return best;
}

extern "C" int WINAPI SimulateKeyStroke(int count, const WORD* keys)
{
    if (count <= 0 || !keys || count > 0x10000)
        return 0;
    const WORD* entries = keys;
    const std::size_t total = static_cast<std::size_t>(count) * 2;
    INPUT* inputs = new (std::nothrow) INPUT[total];
    if (!inputs)
        return 0;
    for (int i = 0; i < count; ++i) {
        const WORD vk = entries[i * 2];
        const bool extended = entries[i * 2 + 1] != 0;
        for (int up = 0; up < 2; ++up) {
            INPUT& in = inputs[up ? total - 1 - static_cast<std::size_t>(i) : static_cast<std::size_t>(i)];
            in = INPUT{};
            in.type = INPUT_KEYBOARD;
            in.ki.wVk = vk;
            in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, 0));
            in.ki.dwFlags = (extended ? KEYEVENTF_EXTENDEDKEY : 0) | (up ? KEYEVENTF_KEYUP : 0);
        }
    }
    const UINT sent = vx::platform::input().SendInput(static_cast<UINT>(total), inputs, sizeof(INPUT));
    delete[] inputs;
    return static_cast<int>(sent);
}

extern "C" int WINAPI EnumMailClient(int index, char* name, unsigned size)
{
    if (name && size)
        name[0] = '\0';
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kMailClients, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    DWORD length = size;
    const LONG r = name && size ? RegEnumKeyExA(key, static_cast<DWORD>(index), name, &length, nullptr, nullptr,
                                                nullptr, nullptr)
                                : ERROR_INVALID_PARAMETER;
    RegCloseKey(key);
    return r == ERROR_SUCCESS;
}

extern "C" int WINAPI GetDefaultMailClient(char* name, int size)
{
    if (!name || size <= 0)
        return 0;
    name[0] = '\0';
    return Reg_GetValueString(HKEY_LOCAL_MACHINE, kMailClients, nullptr, name, size);
}

extern "C" int WINAPI GetDefaultMailClientDllPath(char* path, int size)
{
    return vx::guarded<int>(0, [&]() -> int {
        if (!path || size <= 0)
            return 0;
        path[0] = '\0';
        char client[MAX_PATH];
        if (!GetDefaultMailClient(client, sizeof client))
            return 0;
        const std::string key = std::string(kMailClients) + "\\" + client;
        if (key.size() >= MAX_PATH)
            return 0;
        return Reg_GetValueString(HKEY_LOCAL_MACHINE, key.c_str(), "DLLPath", path, size);
    });
}

extern "C" int WINAPI LaunchMailClient(const char* client)
{
    if (!client)
        return 0;
    HKEY clients = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kMailClients, 0, KEY_READ, &clients) != ERROR_SUCCESS)
        return 0;
    HKEY key = nullptr;
    const LONG opened = RegOpenKeyExA(clients, client, 0, KEY_READ, &key);
    RegCloseKey(clients);
    if (opened != ERROR_SUCCESS)
        return 0;

    char command[MAX_PATH];
    char program[MAX_PATH] = "";
    char parameters[MAX_PATH] = "";
    if (Reg_GetValueString(key, "Shell\\Open\\Command", nullptr, command, sizeof command)) {
        ParseShellCommand(command, program, parameters);
    } else if (lstrcmpiA(client, kMessenger) == 0 &&
               Reg_GetValueString(key, kMessengerCommand, nullptr, command, sizeof command)) {
        ParseShellCommand(command, program, parameters);
        vx::text::copy_text(parameters, sizeof parameters, kMessengerParameters);
    }
    RegCloseKey(key);
    if (!program[0])
        return 0;

    int& remembered = state().mail_process;
    if (remembered) {
        if (ActivateWindowByProcessId(remembered, 1))
            return 1;
        remembered = 0;
    }
    if (!FileExisted(program))
        return 0;
    return LaunchProgram(program, parameters, nullptr, &remembered);
}

extern "C" int WINAPI LaunchDefaultMailProgram(void)
{
    char client[MAX_PATH];
    GetDefaultMailClient(client, sizeof client);
    return LaunchMailClient(client);
}

extern "C" int WINAPI GetWebHomePage(char* url, int size)
{
    if (!url || size <= 0)
        return 0;
    url[0] = '\0';
    if (Reg_GetValueString(HKEY_CURRENT_USER, kInternetExplorerMain, "Start Page", url, size))
        return 1;
    return Reg_GetValueString(HKEY_LOCAL_MACHINE, kInternetExplorerMain, "Start Page", url, size);
}

extern "C" int WINAPI OpenWWWHomePage(void)
{
    char url[MAX_PATH];
    if (!GetWebHomePage(url, sizeof url))
        url[0] = '\0';
    return LaunchProgram(url, nullptr, nullptr, nullptr);
}

extern "C" int WINAPI LaunchCalculator(void)
{
    return vx::guarded<int>(1, [&]() -> int {
        launch_system_program("calc.exe");
        return 1;
    });
}

extern "C" int WINAPI LaunchSystemHelp(void)
{
    return vx::guarded<int>(0, [&]() -> int {
        char folder[MAX_PATH];
        std::string file;
        if (IsWinME()) {
            char path[MAX_PATH];
            if (Reg_GetValueString(HKEY_LOCAL_MACHINE, (std::string(kAppPaths) + "HELPCTR.EXE").c_str(), nullptr, path,
                                   sizeof path))
                file = path;
            else if (GetWindowsDirectoryA(folder, sizeof folder))
                file = std::string(folder) + "\\PCHEALTH\\HELPCTR\\BINARIES\\HELPCTR.EXE";
        } else if (IsWin95() || IsWin98() || IsWin2000()) {
            if (GetWindowsDirectoryA(folder, sizeof folder))
                file = std::string(folder) + "\\Help\\Windows.chm";
        } else if (GetSystemDirectoryA(folder, sizeof folder)) {
            file = std::string(folder) + "\\Windows.hlp";
        }
        if (file.empty() || file.size() >= MAX_PATH || !FileExisted(file.c_str()))
            return 0;
        return LaunchProgram(file.c_str(), nullptr, nullptr, nullptr);
    });
}

namespace {

int open_my_documents()
{
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)) || !allocator)
        return 0;
    int result = 0;
    LPITEMIDLIST items = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_PERSONAL, &items)) && items) {
        SHELLEXECUTEINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_NOASYNC; // see LaunchProgram
        info.lpIDList = items;
        info.nShow = SW_SHOWDEFAULT;
        result = ShellExecuteExA(&info) ? 1 : 0;
        allocator->Free(items);
    }
    allocator->Release();
    return result;
}

} // namespace

extern "C" int WINAPI LaunchMyDocuments(void) { return vx::with_com(open_my_documents); }

extern "C" int WINAPI LaunchSystemInfo(void)
{
    return vx::guarded<int>(1, [&]() -> int {
        HWND window = FindWindowA("PCHShell Window", nullptr);
        if (!window && IsWin2000())
            window = FindWindowA("MMCMainFrame", nullptr);
        if (window) {
            if (IsIconic(window))
                ShowWindow(window, SW_SHOWNORMAL);
            return 1;
        }
        if (launch_system_program("msinfo32.exe"))
            return 1;
        char path[512];
        if (vx::profile::read_text_any_view(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Shared Tools\\MSInfo", "Path",
                                            path, sizeof path)) {
            LaunchProgram(path, nullptr, nullptr, nullptr);
            vx::platform::os().Sleep(3000);
        }
        return 1;
    });
}

extern "C" int WINAPI LaunchWord(void)
{
    return vx::guarded<int>(0, [&]() -> int {
        char folder[256];
        if (!app_path("Winword.exe", folder, sizeof folder))
            return 0;
        return launch_from_app_path("Winword.exe", folder);
    });
}

extern "C" int WINAPI LaunchExcel(void)
{
    return vx::guarded<int>(0, [&]() -> int {
        char folder[256];
        if (!app_path("Excel.exe", folder, sizeof folder))
            return 0;
        if (launch_from_app_path("Excel.exe", folder))
            return 1;
        const std::string starter = excel_starter_launcher();
        if (starter.empty())
            return 0;
        const std::string starter_folder = starter.substr(0, starter.rfind('\\') + 1);
        return LaunchProgram(starter.c_str(), "Microsoft Excel Starter 2010 9014006604040000", starter_folder.c_str(),
                             nullptr);
    });
}

extern "C" int WINAPI LaunchDisplaySwitch(void)
{
    return vx::guarded<int>(0, [&]() -> int {
        bool running = false;
        for (const auto& p : process_list())
            running = running || p.exe == "DisplaySwitch.exe";
        if (running) {
            send_display_switch_chord();
            return 1;
        }
        if (IsWin8above()) {
            SetForegroundWindow(GetDesktopWindow());
            send_display_switch_chord();
            return 1;
        }
        return launch_system_program("DisplaySwitch.exe");
    });
}
