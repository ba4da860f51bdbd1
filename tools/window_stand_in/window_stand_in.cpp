// A stand-in for the programs the launchers start: it appends its process id
// and command line to the file named by VX_STAND_IN_LOG, then behaves as
// VX_STAND_IN_MODE says:
//   window (default)  a visible top-level window titled "VX stand-in <pid>"
//   dialog            the same window owning a visible popup "VX stand-in popup"
//   hidden            only a hidden window
//   none              no window at all
// It ends on WM_CLOSE, or after VX_STAND_IN_LIFETIME milliseconds (default
// 30000) so that a failed test never leaves it running.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char kClass[] = "VXStandInWindow";

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_DESTROY) {
        if (!GetWindow(window, GW_OWNER))
            PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

void record_command_line()
{
    char log[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA("VX_STAND_IN_LOG", log, sizeof log);
    if (n == 0 || n >= sizeof log)
        return;
    HANDLE file = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    char line[2048];
    const int length = std::snprintf(line, sizeof line, "%lu %s\n", GetCurrentProcessId(), GetCommandLineA());
    DWORD written = 0;
    if (length > 0)
        WriteFile(file, line, static_cast<DWORD>(length < static_cast<int>(sizeof line) ? length : sizeof line - 1),
                  &written, nullptr);
    CloseHandle(file);
}

void CALLBACK end_of_life(HWND window, UINT, UINT_PTR, DWORD) { DestroyWindow(window); }

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    record_command_line();

    char mode[32] = "window";
    GetEnvironmentVariableA("VX_STAND_IN_MODE", mode, sizeof mode);
    char lifetime_text[32] = "";
    GetEnvironmentVariableA("VX_STAND_IN_LIFETIME", lifetime_text, sizeof lifetime_text);
    const UINT lifetime = lifetime_text[0] ? static_cast<UINT>(std::atoi(lifetime_text)) : 30000;

    if (std::strcmp(mode, "none") == 0) {
        Sleep(lifetime);
        return 0;
    }

    WNDCLASSA wc{};
    wc.lpfnWndProc = window_proc;
    wc.hInstance = instance;
    wc.lpszClassName = kClass;
    RegisterClassA(&wc);
    char title[64];
    std::snprintf(title, sizeof title, "VX stand-in %lu", GetCurrentProcessId());
    HWND main = CreateWindowExA(0, kClass, title, WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr, nullptr, instance,
                                nullptr);
    if (std::strcmp(mode, "hidden") != 0)
        ShowWindow(main, SW_SHOWNORMAL);
    if (std::strcmp(mode, "dialog") == 0) {
        HWND popup = CreateWindowExA(0, kClass, "VX stand-in popup", WS_POPUP | WS_CAPTION, 40, 40, 200, 100, main,
                                     nullptr, instance, nullptr);
        ShowWindow(popup, SW_SHOWNORMAL);
    }
    SetTimer(main, 1, lifetime, end_of_life);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
