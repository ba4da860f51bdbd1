#include "main_window.h"

#include <cstddef>
#include <vector>

#include "pcx_bitmap.h"
#include "programs.h"
#include "setup_config.h"
#include "setup_script.h"
#include "core/title_layout.h"

namespace vx::setup {
namespace {

std::string program_path(const char* name)
{
    return join({config().setup_folder, "\\", name});
}

std::string quoted_program(const char* name)
{
    // Quoted so that a setup folder with blanks can never make Windows try
    // a shorter path (such as C:\Program.exe) first.
    return join({"\"", program_path(name), "\""});
}

SIZE work_area_size()
{
    RECT area{0, 0, 0, 0};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return SIZE{area.right - area.left, area.bottom - area.top};
}

int client_width(HWND window)
{
    RECT client{0, 0, 0, 0};
    GetClientRect(window, &client);
    return client.right - client.left;
}

void resize_to_work_area(HWND window)
{
    const SIZE size = work_area_size();
    SetWindowPos(window, HWND_TOP, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOOWNERZORDER);
}

void delete_logo(MainWindowState& s)
{
    if (s.logo)
        DeleteObject(s.logo);
    if (s.palette)
        DeleteObject(s.palette);
    s.logo = nullptr;
    s.palette = nullptr;
}

void on_create(HWND window)
{
    MainWindowState& s = main_window_state();
    const SetupConfig& c = config();
    if (lstrcmpiA(user_locale(c.nt_family != 0).c_str(), kJapaneseLocale) == 0) {
        s.japanese_font = true;
        NONCLIENTMETRICSA metrics{};
        // The size without the Vista padding field (340 bytes): Windows
        // before Vista rejects the larger structure.
        metrics.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
        SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
        s.caption_font = metrics.lfCaptionFont;
        s.caption_font.lfHeight = 42;
        s.caption_font.lfWeight = 600;
        s.caption_font.lfItalic = 1;
    }
    if (c.logo_path[0] && file_exists(c.logo_path)) {
        s.logo_present = true;
        s.logo = LoadPcxBitmap(c.logo_path);
        BITMAP bm{};
        if (s.logo && GetObjectA(s.logo, sizeof bm, &bm)) {
            s.logo_width = bm.bmWidth;
            s.logo_height = bm.bmHeight;
        }
        s.palette = LoadPcxPalette(window, c.logo_path);
        s.logo_x = client_width(window) + 2 * GetSystemMetrics(SM_CXFRAME) - s.logo_width;
    }
    PostMessageA(window, WM_SETUP_START, 0, 0);
}

// Ends the run on a failure: its message (unless silent) and its code.
void fail(const RunFailure& failure)
{
    MainWindowState& s = main_window_state();
    // Set first: a chain message dispatched while the box is up starts nothing.
    s.finished = true;
    s.failed = true;
    s.exit_code = failure.code;
    PostQuitMessage(report_failure(failure, config().silent != 0));
}

// Starts the keyboard installer and waits for its exit code.
RunFailure run_installer(DWORD& code)
{
    const SetupConfig& c = config();
    const std::string program = program_path(c.installer);
    if (!path_fits(program))
        return path_too_long(program);
    DWORD error = 0;
    HANDLE process = start_program(installer_command(), c.setup_folder, &error);
    if (!process)
        return program_not_started(program, error);
    code = wait_for_exit_code(process);
    return {};
}

void on_setup_start()
{
    const SetupConfig& c = config();
    DWORD code = 0;
    RunFailure failure;
    if (c.role == Role::RegistryHelper) {
        failure = AddRegistryFiles();
    } else {
        if (c.win64) {
            // The helper reads the same script; its paths are checked here,
            // where a failure can still stop the installer.
            std::vector<std::string> paths;
            failure = registry_file_paths(paths);
            if (!failure)
                wait_for_exit_code(start_registry_helper(registry_helper_command(), c.setup_folder));
        } else {
            failure = AddRegistryFiles();
        }
        if (!failure && c.installer[0])
            failure = run_installer(code);
    }
    if (failure)
        return fail(failure);
    MainWindowState& s = main_window_state();
    s.finished = true;
    s.exit_code = code;
    PostQuitMessage(static_cast<int>(code));
}

void on_setup_chain(HWND window, WPARAM wparam, LPARAM lparam)
{
    // Only the launcher runs the installers; the registry helper has no
    // mouse installer to start. After a failure nothing more is started.
    if (config().role != Role::Launcher || main_window_state().failed)
        return;
    // Sent from another thread (possibly while the start message waits for
    // the keyboard installer): queue it, so that it runs in its turn, as a
    // posted one would, and the sender is answered at once.
    if (InSendMessage()) {
        PostMessageA(window, WM_SETUP_CHAIN, wparam, lparam);
        return;
    }
    if (config().second_program[0]) {
        const std::string program = program_path(config().second_program);
        if (!path_fits(program))
            return fail(path_too_long(program));
        HANDLE process = start_program(second_program_command(), config().setup_folder);
        if (process)
            CloseHandle(process);
    }
    PostMessageA(window, WM_DESTROY, 0, 0);
}

LRESULT on_paint(HWND window)
{
    // When the brush or the font cannot be made nothing is drawn, which is
    // what default processing would do: the update area is validated.
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client{0, 0, 0, 0};
    GetClientRect(window, &client);
    paint_title_band(dc, paint.rcPaint, client.right);
    EndPaint(window, &paint);
    return 0;
}

void realize_logo_palette(HWND window)
{
    const MainWindowState& s = main_window_state();
    if (s.logo_present)
        RealizeWindowPalette(window, s.palette);
}

} // namespace

MainWindowState& main_window_state()
{
    static MainWindowState state{};
    return state;
}

void reset_main_window_state()
{
    delete_logo(main_window_state());
    main_window_state() = MainWindowState{};
}

std::string user_locale(bool nt_family)
{
    std::string locale = "00000409";
    HKEY key = nullptr;
    const char* path = nt_family ? "Control Panel\\International" : "Control Panel\\Desktop\\ResourceLocale";
    const char* name = nt_family ? "Locale" : nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return locale;
    DWORD size = 0;
    DWORD type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && size > 0 &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::vector<char> value(size + 1, '\0');
        DWORD read = size;
        if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &read) == ERROR_SUCCESS) {
            value[read < size ? read : size] = '\0';
            locale.assign(value.data());
            if (locale.size() >= kTextCapacity)
                locale.resize(kTextCapacity - 1);
        }
    }
    RegCloseKey(key);
    return locale;
}

std::string registry_helper_command()
{
    return quoted_program(kRegistryHelperName);
}

std::string installer_command()
{
    // The blank stands there even when setup got no command line.
    return join({quoted_program(config().installer), " ", config().command_line});
}

std::string second_program_command()
{
    const SetupConfig& c = config();
    std::string line = quoted_program(c.second_program);
    if (c.hidden)
        line += " /h";
    if (c.silent)
        line += " /s";
    if (c.no_restart)
        line += " /nr";
    return line;
}

bool paint_title_band(HDC dc, const RECT& fill, int right_edge)
{
    const MainWindowState& s = main_window_state();
    HBRUSH brush = CreateSolidBrush(kBandColour);
    if (!brush)
        return false;
    HFONT font = s.japanese_font
                     ? CreateFontIndirectA(&s.caption_font)
                     : CreateFontA(42, 0, 0, 0, 600, TRUE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_ROMAN, kTitleFace);
    if (!font) {
        DeleteObject(brush);
        return false;
    }
    FillRect(dc, &fill, brush);
    if (s.logo_present && s.logo)
        DrawBitmap(dc, s.logo, s.logo_x, 0);

    HGDIOBJ previous = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    const std::string title = config().setup_title;
    auto width = [dc](std::string_view text) {
        SIZE size{0, 0};
        GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx);
    };
    SIZE whole{0, 0};
    GetTextExtentPoint32A(dc, title.c_str(), static_cast<int>(title.size()), &whole);
    const TitleLines lines = break_title(title, right_edge, width);
    auto draw = [&](int x, int y) {
        TextOutA(dc, x, y, lines.first.c_str(), static_cast<int>(lines.first.size()));
        if (lines.two_lines)
            TextOutA(dc, x, y + whole.cy, lines.second.c_str(), static_cast<int>(lines.second.size()));
    };
    draw(15, 10);
    SetTextColor(dc, RGB(255, 255, 255));
    draw(10, 5);
    SelectObject(dc, previous);
    DeleteObject(font);
    DeleteObject(brush);
    return true;
}

ATOM register_main_window(HINSTANCE instance)
{
    WNDCLASSA cls{};
    cls.style = 0;
    cls.lpfnWndProc = MainWindowProc;
    cls.hInstance = instance;
    // Icon 102 is not in the program, so the class has no icon; the window
    // is never shown anyway.
    cls.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(102));
    cls.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    cls.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    cls.lpszClassName = main_window_class();
    return RegisterClassA(&cls);
}

const char* main_window_class()
{
    // The registry helper runs while the launcher's window waits for it; a
    // class of its own keeps a sender looking for "FullSetupClass" from
    // finding the helper's window instead of the launcher's.
    return config().role == Role::RegistryHelper ? kHelperWindowClass : kMainWindowClass;
}

HWND create_main_window(HINSTANCE instance)
{
    const SIZE size = work_area_size();
    return CreateWindowExA(0, main_window_class(), config().title_suffix, WS_OVERLAPPEDWINDOW, 0, 0, size.cx, size.cy,
                           nullptr, nullptr, instance, nullptr);
}

int run_message_loop()
{
    MSG msg;
    BOOL got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1)
            return 0;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    MainWindowState& s = main_window_state();
    switch (message) {
    case WM_CREATE:
        on_create(window);
        return 0;
    case WM_SETUP_START:
        on_setup_start();
        return 0;
    case WM_SETUP_CHAIN:
        on_setup_chain(window, wparam, lparam);
        return 0;
    case WM_PAINT:
        return on_paint(window);
    case WM_WININICHANGE:
        InvalidateRect(window, nullptr, TRUE);
        resize_to_work_area(window);
        s.logo_x = client_width(window) - s.logo_width;
        return 0;
    case WM_DISPLAYCHANGE:
        if (s.logo_present) {
            if (s.logo)
                DeleteObject(s.logo);
            s.logo = LoadPcxBitmap(config().logo_path);
            if (s.palette)
                DeleteObject(s.palette);
            s.palette = nullptr;
            resize_to_work_area(window);
            s.logo_x = client_width(window) - s.logo_width;
            s.palette = LoadPcxPalette(window, config().logo_path);
        }
        return 0;
    case WM_QUERYNEWPALETTE:
        realize_logo_palette(window);
        return 1;
    case WM_PALETTECHANGED:
        if (reinterpret_cast<HWND>(wparam) == window)
            return DefWindowProcA(window, message, wparam, lparam);
        realize_logo_palette(window);
        return 1;
    case WM_QUERYENDSESSION:
        return 1;
    case WM_DESTROY:
        delete_logo(s);
        PostQuitMessage(s.finished ? static_cast<int>(s.exit_code) : 0);
        return 0;
    default:
        return DefWindowProcA(window, message, wparam, lparam);
    }
}

} // namespace vx::setup
