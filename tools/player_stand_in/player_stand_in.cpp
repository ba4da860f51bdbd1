// Stand-in media player for the CD-key tests: creates a top-level window of
// the class given by "/class:<name>" (default "WMPlayerApp") and appends to
// "<program>.log" beside it one line per message a player would receive:
// "start <command line>", "appcommand <n>", "command <wParam>",
// "message <number>", "key <vk>". Ends on WM_CLOSE or after 60 s. With
// "/hang" it answers no message at all (a player busy spinning up a disc)
// and ends after 20 s.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string g_log;

void log_line(const std::string& line)
{
    if (FILE* f = std::fopen(g_log.c_str(), "a")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

LRESULT CALLBACK player_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_APPCOMMAND:
        log_line("appcommand " + std::to_string(GET_APPCOMMAND_LPARAM(lparam)));
        return TRUE;
    case WM_COMMAND:
        log_line("command " + std::to_string(wparam));
        return 0;
    case WM_KEYDOWN:
        log_line("key " + std::to_string(wparam));
        return 0;
    case WM_TIMER:
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        if (message >= 1000 && message < 0xC000)
            log_line("message " + std::to_string(message));
        return DefWindowProcA(window, message, wparam, lparam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    g_log = std::string(path) + ".log";
    const char* cls_start = "WMPlayerApp";
    std::size_t cls_length = std::strlen(cls_start);
    if (const char* c = std::strstr(command_line, "/class:")) {
        cls_start = c + 7;
        const char* end = std::strchr(cls_start, ' ');
        cls_length = end ? static_cast<std::size_t>(end - cls_start) : std::strlen(cls_start);
    }
    const std::string cls(cls_start, cls_length);
    log_line(std::string("start ") + command_line);

    WNDCLASSA wc{};
    wc.lpfnWndProc = player_proc;
    wc.hInstance = instance;
    wc.lpszClassName = cls.c_str();
    RegisterClassA(&wc);
    HWND window = CreateWindowA(cls.c_str(), "Stand-in player", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    if (std::strstr(command_line, "/hang")) {
        Sleep(20000);
        return 0;
    }
    SetTimer(window, 1, 60000, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
