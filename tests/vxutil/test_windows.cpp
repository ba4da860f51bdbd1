#include "vxutil/test_windows.h"

#include "support/pe_exports.h"

namespace vxtest {
namespace {

constexpr char kClass[] = "VXUtilTestWindow";

ATOM window_class()
{
    static const ATOM atom = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kClass;
        return RegisterClassA(&wc);
    }();
    return atom;
}

} // namespace

void pump_messages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

TestWindow::TestWindow(const char* title, DWORD style, DWORD ex_style, HWND owner)
{
    window_class();
    window_ = CreateWindowExA(ex_style, kClass, title, style, 20, 20, 200, 120, owner, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    pump_messages();
}

TestWindow::~TestWindow()
{
    if (IsWindow(window_))
        DestroyWindow(window_);
    pump_messages();
}

std::string stand_in_path() { return program_folder() + "window_stand_in.exe"; }

StandIn::StandIn(const char* mode, const std::string& arguments)
{
    SetEnvironmentVariableA("VX_STAND_IN_MODE", mode);
    std::string command(1, '"');
    command.append(stand_in_path()).append("\" ").append(arguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_))
        info_ = {};
    SetEnvironmentVariableA("VX_STAND_IN_MODE", nullptr);
    if (info_.hProcess)
        WaitForInputIdle(info_.hProcess, 5000);
}

StandIn::~StandIn()
{
    if (info_.hProcess) {
        TerminateProcess(info_.hProcess, 0);
        WaitForSingleObject(info_.hProcess, 5000);
        CloseHandle(info_.hProcess);
        CloseHandle(info_.hThread);
    }
}

std::vector<HWND> visible_windows_of(DWORD pid)
{
    struct Search {
        DWORD pid;
        std::vector<HWND> found;
    } search{pid, {}};
    EnumWindows(
        [](HWND window, LPARAM param) WINAPI -> BOOL {
            auto& s = *reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s.pid && IsWindowVisible(window))
                s.found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND StandIn::wait_for_window() const
{
    for (int i = 0; i < 100 && info_.hProcess; ++i) {
        const auto windows = visible_windows_of(info_.dwProcessId);
        for (HWND w : windows) {
            if (!GetWindow(w, GW_OWNER))
                return w;
        }
        Sleep(50);
    }
    return nullptr;
}

void end_processes(const std::vector<DWORD>& ids)
{
    for (DWORD id : ids) {
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
            TerminateProcess(process, 0);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
}

} // namespace vxtest
