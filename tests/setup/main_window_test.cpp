// The main window in this process: the title band drawn into a bitmap, and
// the start message of the launcher role on 32-bit Windows.
#include <gtest/gtest.h>

#include "main_window.h"
#include "native/setup/pcx_writer.h"
#include "pcx_bitmap.h"
#include "programs.h"
#include "run_failure.h"
#include "setup/fake_windows.h"
#include "setup/setup_folder.h"
#include "setup_config.h"
#include "setup_script.h"

using namespace vx::setup;
using vxtest::SetupFolder;

namespace {

constexpr int kWidth = 640, kHeight = 200;

// A 32-bit top-down DIB section selected into a memory DC.
struct Canvas {
    HDC dc = CreateCompatibleDC(nullptr);
    DWORD* bits = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    Canvas()
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = kWidth;
        info.bmiHeader.biHeight = -kHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        old = SelectObject(dc, bitmap);
    }
    ~Canvas()
    {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    COLORREF at(int x, int y) const
    {
        GdiFlush();
        const DWORD v = bits[y * kWidth + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    int count(COLORREF colour, int top, int bottom, int left = 0, int right = kWidth) const
    {
        int n = 0;
        for (int y = top; y < bottom && y < kHeight; ++y)
            for (int x = left; x < right; ++x)
                n += at(x, y) == colour;
        return n;
    }
};

int title_height(HDC dc, const char* title)
{
    HFONT font = CreateFontA(42, 0, 0, 0, 600, TRUE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, VARIABLE_PITCH | FF_ROMAN, kTitleFace);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32A(dc, title, lstrlenA(title), &size);
    SelectObject(dc, old);
    DeleteObject(font);
    return size.cy;
}

struct TitleBandTest : ::testing::Test {
    void SetUp() override
    {
        reset_config();
        reset_main_window_state();
    }
    void TearDown() override
    {
        reset_main_window_state();
        reset_config();
    }
};

const COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0);

bool main_class_ready()
{
    return register_main_window(GetModuleHandleA(nullptr)) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

TEST_F(TitleBandTest, TealBandWithWhiteTitleOverBlackShadowAndLogoInTheCorner)
{
    SetupFolder folder("band");
    vxtest::PcxPicture logo;
    logo.x_max = 19;
    logo.y_max = 9;
    logo.rows.assign(10, std::vector<std::uint8_t>(20, 1));
    logo.trailing = {{0, 0, 0}, {200, 30, 40}};
    const std::vector<std::uint8_t> bytes = vxtest::encode_pcx(logo);
    folder.write("logo.pcx", std::string(bytes.begin(), bytes.end()));

    copy_text(config().setup_title, "Keyboard Setup");
    MainWindowState& s = main_window_state();
    s.logo_present = true;
    s.logo = LoadPcxBitmap(folder.file("logo.pcx").c_str());
    ASSERT_NE(nullptr, s.logo);
    s.logo_x = kWidth - 20;

    Canvas canvas;
    const RECT fill{0, 0, kWidth, kHeight};
    ASSERT_TRUE(paint_title_band(canvas.dc, fill, kWidth));
    EXPECT_EQ(kBandColour, canvas.at(kWidth / 2, kHeight - 1));
    EXPECT_EQ(RGB(200, 30, 40), canvas.at(kWidth - 20, 0));
    EXPECT_EQ(RGB(200, 30, 40), canvas.at(kWidth - 1, 9));
    EXPECT_EQ(kBandColour, canvas.at(kWidth - 21, 0));
    EXPECT_EQ(kBandColour, canvas.at(kWidth - 20, 10));
    const int h = title_height(canvas.dc, "Keyboard Setup");
    EXPECT_GT(canvas.count(kWhite, 5, 5 + h, 10, 400), 100);
    EXPECT_GT(canvas.count(kBlack, 10, 10 + h, 15, 400), 20);
    EXPECT_EQ(0, canvas.count(kWhite, 5 + h, kHeight));
}

TEST_F(TitleBandTest, NarrowBandBreaksOnceAndUnbreakableTitleStaysOnOneLine)
{
    Canvas canvas;
    const RECT fill{0, 0, kWidth, kHeight};
    const int h = title_height(canvas.dc, "Alpha Beta Gamma");
    copy_text(config().setup_title, "Alpha Beta Gamma");
    ASSERT_TRUE(paint_title_band(canvas.dc, fill, 260));
    EXPECT_GT(canvas.count(kWhite, 5, 5 + h), 50);
    EXPECT_GT(canvas.count(kWhite, 5 + h, 5 + 2 * h), 50) << "second line missing";

    Canvas wide;
    ASSERT_TRUE(paint_title_band(wide.dc, fill, kWidth));
    EXPECT_EQ(0, wide.count(kWhite, 5 + h, kHeight)) << "a fitting title must stay on one line";

    Canvas narrow;
    copy_text(config().setup_title, "AlphaBetaGammaDelta");
    ASSERT_TRUE(paint_title_band(narrow.dc, fill, 100));
    EXPECT_GT(narrow.count(kWhite, 5, 5 + h), 50);
    EXPECT_EQ(0, narrow.count(kWhite, 5 + h, kHeight));
}

namespace {

const std::string kKey = "Software\\VxSetupTests\\Launcher32";

struct LauncherTest : ::testing::Test {
    SetupFolder folder{"launcher 32"};
    void SetUp() override
    {
        reset_config();
        reset_main_window_state();
        vxtest::delete_registry_tree(HKEY_CURRENT_USER, kKey);
    }
    void TearDown() override
    {
        vxtest::delete_registry_tree(HKEY_CURRENT_USER, kKey);
        reset_main_window_state();
        reset_config();
    }
    int run_window()
    {
        EXPECT_TRUE(main_class_ready());
        HWND window = create_main_window(GetModuleHandleA(nullptr));
        EXPECT_NE(nullptr, window);
        const int code = run_message_loop();
        DestroyWindow(window);
        return code;
    }
};

} // namespace

TEST_F(LauncherTest, On32BitWindowsImportsItselfAndPassesTheInstallerCodeOn)
{
    folder.stand_in("Zondrel.exe");
    folder.stand_in("kbd.exe", 300, 0);
    folder.write("keys.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + kKey + "]\r\n\"Done\"=\"1\"\r\n");
    folder.write("SETUPNT.INI", "[Setup]\r\nx86kbd=kbd.exe\r\nx64kbd=wrong.exe\r\n[Add Registry Files]\r\n1=keys.reg\r\n");
    SetupConfig& c = config();
    c.role = Role::Launcher;
    {
        vxtest::AsWindows as(vxtest::kXp32); // 32-bit Windows XP
        evaluate_os_flags(c);
    }
    ASSERT_EQ(0, c.win64);
    copy_text(c.setup_folder, folder.path());
    copy_text(c.script_path, folder.file("SETUPNT.INI"));
    copy_text(c.installer, "kbd.exe");
    c.command_line = "/V";

    EXPECT_EQ(300, run_window());
    EXPECT_TRUE(vxtest::eventually([] { return vxtest::read_registry_string(HKEY_CURRENT_USER, kKey, "Done") == "1"; }));
    EXPECT_TRUE(folder.runs("Zondrel.exe").empty());
    ASSERT_EQ(1u, folder.runs("kbd.exe").size());
    EXPECT_EQ("\"" + folder.file("kbd.exe") + "\" /V", folder.runs("kbd.exe")[0].cmdline);
    EXPECT_EQ(folder.path(), folder.runs("kbd.exe")[0].cwd);
}

TEST_F(LauncherTest, RegistryHelperWindowCannotBeFoundAndIgnoresTheChainMessage)
{
    // While the launcher waits for the helper, a sender looking for the
    // setup window must find the launcher's, and the helper starts nothing.
    folder.stand_in("mou.exe", 0, 5000);
    config().role = Role::RegistryHelper;
    copy_text(config().setup_folder, folder.path());
    copy_text(config().second_program, "mou.exe");
    ASSERT_TRUE(main_class_ready());
    HWND window = create_main_window(GetModuleHandleA(nullptr));
    EXPECT_EQ(nullptr, FindWindowA(kMainWindowClass, nullptr));
    SendMessageA(window, WM_SETUP_CHAIN, 0, 0);
    EXPECT_EQ(0, run_message_loop());
    DestroyWindow(window);
    EXPECT_EQ(0u, vxtest::running_children("mou.exe"));
}

TEST_F(LauncherTest, InstallerThatCannotStartEndsWithItsErrorAndStartsNothingMore)
{
    folder.stand_in("mou.exe", 0, 5000);
    folder.write("SETUPNT.INI", "[Setup]\r\n");
    SetupConfig& c = config();
    c.role = Role::Launcher;
    copy_text(c.setup_folder, folder.path());
    copy_text(c.script_path, folder.file("SETUPNT.INI"));
    copy_text(c.second_program, "mou.exe");
    vxtest::RecordedBoxes boxes;
    EXPECT_EQ(0, run_window()); // none named
    EXPECT_TRUE(boxes.boxes().empty());

    // Missing: the Windows error, a box naming the program; a chain message
    // already queued starts nothing.
    copy_text(c.installer, "not there.exe");
    ASSERT_TRUE(main_class_ready());
    HWND window = create_main_window(GetModuleHandleA(nullptr));
    PostMessageA(window, WM_SETUP_CHAIN, 0, 0);
    EXPECT_EQ(static_cast<int>(ERROR_FILE_NOT_FOUND), run_message_loop());
    DestroyWindow(window);
    EXPECT_EQ(0u, vxtest::running_children("mou.exe"));
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ(L"Setup Warning", boxes.boxes()[0].caption);
    const std::wstring named = L"\r\n\r\n" + vx::setup::ansi_to_wide(folder.file("not there.exe"));
    EXPECT_EQ(L"Setup could not start this program, so the installation is not complete:" + named,
              boxes.boxes()[0].text);

    // Silent: the same code and no box. A folder and name of 260 characters
    // cannot be started at all.
    c.silent = 1;
    reset_main_window_state();
    EXPECT_EQ(static_cast<int>(ERROR_FILE_NOT_FOUND), run_window());
    copy_text(c.installer, std::string(kTextCapacity - 1 - folder.path().size(), 'k'));
    reset_main_window_state();
    EXPECT_EQ(static_cast<int>(ERROR_FILENAME_EXCED_RANGE), run_window());
    EXPECT_EQ(1u, boxes.boxes().size());
}

TEST_F(TitleBandTest, JapaneseUserLocaleSwitchesToTheAdjustedCaptionFont)
{
    // Windows 9x keeps the locale as the default value of
    // ...\Desktop\ResourceLocale. (The NT value, ...\International "Locale",
    // is left alone: Wine reads it when any process of the prefix starts.)
    const char* nine_x = "Control Panel\\Desktop\\ResourceLocale";
    vxtest::delete_registry_tree(HKEY_CURRENT_USER, nine_x);
    EXPECT_EQ("00000409", user_locale(false));
    EXPECT_EQ(8u, user_locale(true).size());
    vxtest::set_registry_string(HKEY_CURRENT_USER, nine_x, "", "00000411");
    EXPECT_EQ("00000411", user_locale(false));

    config().nt_family = 0;
    ASSERT_TRUE(main_class_ready());
    HWND window = create_main_window(GetModuleHandleA(nullptr));
    vxtest::delete_registry_tree(HKEY_CURRENT_USER, nine_x);
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(main_window_state().japanese_font);
    EXPECT_EQ(42, main_window_state().caption_font.lfHeight);
    EXPECT_EQ(600, main_window_state().caption_font.lfWeight);
    EXPECT_EQ(1, main_window_state().caption_font.lfItalic);
    EXPECT_NE(0, main_window_state().caption_font.lfFaceName[0]) << "caption font not fetched from the system";
    Canvas canvas;
    copy_text(config().setup_title, "Keyboard");
    EXPECT_TRUE(paint_title_band(canvas.dc, RECT{0, 0, kWidth, kHeight}, kWidth));
    EXPECT_GT(canvas.count(kWhite, 0, kHeight), 20);
    DestroyWindow(window);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) // the start and quit messages
        ;
}

TEST_F(TitleBandTest, LogoPositionFollowsTheWorkAreaAndDestroyKeepsTheFinishedCode)
{
    SetupFolder folder("logo window");
    vxtest::PcxPicture logo;
    logo.x_max = 31;
    logo.y_max = 15;
    logo.rows.assign(16, std::vector<std::uint8_t>(32, 1));
    logo.trailing = {{0, 0, 0}, {9, 9, 9}};
    const std::vector<std::uint8_t> bytes = vxtest::encode_pcx(logo);
    folder.write("logo.pcx", std::string(bytes.begin(), bytes.end()));
    copy_text(config().logo_path, folder.file("logo.pcx"));

    ASSERT_TRUE(main_class_ready());
    HWND window = create_main_window(GetModuleHandleA(nullptr));
    ASSERT_NE(nullptr, window);
    MainWindowState& s = main_window_state();
    RECT client;
    GetClientRect(window, &client);
    EXPECT_TRUE(s.logo_present);
    EXPECT_NE(nullptr, s.logo);
    EXPECT_EQ(32, s.logo_width);
    EXPECT_EQ(16, s.logo_height);
    EXPECT_EQ(client.right + 2 * GetSystemMetrics(SM_CXFRAME) - 32, s.logo_x);

    SendMessageA(window, WM_WININICHANGE, 0, 0);
    GetClientRect(window, &client);
    EXPECT_EQ(client.right - 32, s.logo_x);
    SendMessageA(window, WM_DISPLAYCHANGE, 32, 0);
    EXPECT_NE(nullptr, s.logo);
    EXPECT_EQ(1, SendMessageA(window, WM_QUERYENDSESSION, 0, 0));
    EXPECT_EQ(1, SendMessageA(window, WM_QUERYNEWPALETTE, 0, 0));

    // A destroy after the start message ended keeps its quit code.
    s.finished = true;
    s.exit_code = 3010;
    SendMessageA(window, WM_DESTROY, 0, 0);
    EXPECT_EQ(nullptr, s.logo);
    EXPECT_EQ(nullptr, s.palette);
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) && msg.message != WM_QUIT)
        ;
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), msg.message);
    EXPECT_EQ(3010u, msg.wParam);
    DestroyWindow(window);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        ;
}
