// The main window shown on a real (virtual) X screen: the title band as the
// user would see it, read back from the window with GetPixel.
#include <gtest/gtest.h>

#include "main_window.h"
#include "native/setup/pcx_writer.h"
#include "setup/setup_folder.h"
#include "setup_config.h"

using namespace vx::setup;

namespace {

// Dispatches what is queued, except the start message (nothing to run here).
void pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_SETUP_START || msg.message == WM_QUIT)
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

int count(HDC dc, COLORREF colour, const RECT& r)
{
    int n = 0;
    for (int y = r.top; y < r.bottom; y += 1)
        for (int x = r.left; x < r.right; x += 1)
            n += GetPixel(dc, x, y) == colour;
    return n;
}

// width 0 keeps the work-area size the window is created with.
HWND shown_window(const char* title, int width, const std::string& logo = "")
{
    reset_config();
    reset_main_window_state();
    copy_text(config().title_suffix, "Setup");
    copy_text(config().setup_title, title);
    copy_text(config().logo_path, logo);
    if (!register_main_window(GetModuleHandleA(nullptr)) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    HWND window = create_main_window(GetModuleHandleA(nullptr));
    if (!window)
        return nullptr;
    if (width)
        SetWindowPos(window, HWND_TOP, 0, 0, width, 300, SWP_NOMOVE);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    for (int i = 0; i < 20; ++i) {
        pump();
        Sleep(20);
    }
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    pump();
    return window;
}

void close(HWND window)
{
    DestroyWindow(window);
    pump();
    reset_main_window_state();
    reset_config();
}

} // namespace

TEST(MainWindowOnScreen, TitleBandIsTealWithWhiteTitleTextAndTheLogo)
{
    vxtest::SetupFolder folder("x11 logo");
    vxtest::PcxPicture logo;
    logo.x_max = 63;
    logo.y_max = 31;
    logo.rows.assign(32, std::vector<std::uint8_t>(64, 1));
    logo.trailing = {{0, 0, 0}, {220, 20, 60}};
    const std::vector<std::uint8_t> bytes = vxtest::encode_pcx(logo);
    folder.write("logo.pcx", std::string(bytes.begin(), bytes.end()));

    HWND window = shown_window("Keyboard Setup", 0, folder.file("logo.pcx"));
    ASSERT_NE(nullptr, window);
    RECT client;
    GetClientRect(window, &client);
    HDC dc = GetDC(window);
    // On creation the logo is placed two frame widths too far right, so only
    // its left part shows, its top at 0.
    const int logo_x = main_window_state().logo_x;
    ASSERT_GT(client.right, logo_x);
    ASSERT_GT(logo_x, client.right - 64);
    EXPECT_EQ(RGB(220, 20, 60), GetPixel(dc, logo_x, 0));
    EXPECT_EQ(RGB(220, 20, 60), GetPixel(dc, client.right - 1, 31));
    EXPECT_EQ(kBandColour, GetPixel(dc, logo_x - 1, 0));
    EXPECT_EQ(kBandColour, GetPixel(dc, logo_x, 32));
    SendMessageA(window, WM_WININICHANGE, 0, 0); // back to the work area, logo at the right edge
    UpdateWindow(window);
    pump();
    GetClientRect(window, &client);
    EXPECT_EQ(client.right - 64, main_window_state().logo_x);
    EXPECT_EQ(RGB(220, 20, 60), GetPixel(dc, client.right - 1, 0));
    EXPECT_EQ(RGB(220, 20, 60), GetPixel(dc, client.right - 64, 31));
    EXPECT_EQ(kBandColour, GetPixel(dc, client.right - 65, 0));
    EXPECT_EQ(kBandColour, GetPixel(dc, client.right - 5, client.bottom - 5));
    EXPECT_EQ(kBandColour, GetPixel(dc, client.right / 2, 150));
    EXPECT_GT(count(dc, RGB(255, 255, 255), RECT{10, 5, 400, 55}), 100);
    EXPECT_GT(count(dc, RGB(0, 0, 0), RECT{15, 10, 400, 60}), 20);
    EXPECT_EQ(0, count(dc, RGB(255, 255, 255), RECT{0, 70, client.right, 150}));
    ReleaseDC(window, dc);
    close(window);
}

TEST(MainWindowOnScreen, NarrowWindowBreaksTheTitleOntoASecondLine)
{
    HWND window = shown_window("Alpha Beta Gamma", 300);
    ASSERT_NE(nullptr, window);
    HDC dc = GetDC(window);
    EXPECT_GT(count(dc, RGB(255, 255, 255), RECT{10, 60, 280, 100}), 50);
    ReleaseDC(window, dc);
    close(window);
}
