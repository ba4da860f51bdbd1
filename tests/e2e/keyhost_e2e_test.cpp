// The reference host end to end: replay scripts go through the host's input
// path into the real VXUtil.dll and VXOSD.dll; between steps the tests look
// at the mixer level, the display window's region, the indicator windows and
// the programs that were started.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

#include "host.h"
#include "replay_runner.h"
#include "support/pe_exports.h"
#include "vxosd.h"
#include "vxutil.h"

namespace {

using keyhost::ReplayStep;
using keyhost::StepKind;

std::string temp_folder(const char* name)
{
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    std::string folder = std::string(base) + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

// Runs one replay script through a fresh host and calls `check` after
// every step; returns false when the replay did not finish in time.
bool replay(const std::string& script, bool classic, const std::function<void(const ReplayStep&)>& check,
            std::vector<double>* latencies = nullptr)
{
    const std::string folder = temp_folder("keyhost-e2e");
    const std::string path = folder + "\\script.txt";
    std::ofstream(path, std::ios::binary) << script;

    keyhost::Options options;
    options.out_dir = folder;
    options.classic_volume = classic;
    keyhost::Host host(options);
    if (!host.start(GetModuleHandleA(nullptr)))
        return false;
    auto observer = [](const ReplayStep& step, void* context) {
        (*static_cast<const std::function<void(const ReplayStep&)>*>(context))(step);
    };
    keyhost::set_step_observer(observer, const_cast<std::function<void(const ReplayStep&)>*>(&check));
    if (!keyhost::start_replay(host, path))
        return false;
    // The replay ends by destroying the host window; a watchdog bounds it.
    const UINT_PTR watchdog = SetTimer(nullptr, 0, 60000, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(99); });
    const int code = host.run_message_loop();
    KillTimer(nullptr, watchdog);
    keyhost::set_step_observer(nullptr, nullptr);
    if (latencies)
        *latencies = host.volume_latencies();
    return code == 0;
}

int current_level()
{
    int level = -1;
    Mixer_GetVolume(&level);
    return level;
}

HWND display_window() { return FindWindowA("VX_OSD_WNDCLASS", "VX_OSD_WND"); }

// The bars the classic layout must show for `level` of 0xFFFF on a 1024 x 768
// screen before Vista, as a region: 32 bars 4 wide, 9 apart from x 412, lit
// from y 673 to 698 when k * (0xFFFF / 32 = 2047) < level, else a stub from
// y 694.
HRGN expected_bars(int level, RECT& bounds)
{
    HRGN bars = CreateRectRgn(0, 0, 0, 0);
    for (int k = 0; k < 32; ++k) {
        const int x = 412 + 9 * k;
        HRGN one = CreateRectRgn(x, k * 2047 < level ? 673 : 694, x + 4, 698);
        CombineRgn(bars, bars, one, RGN_OR);
        DeleteObject(one);
    }
    bounds = RECT{412, 673, 412 + 9 * 31 + 4, 698};
    return bars;
}

// The display window's region, cut to the bar area, equals the expected bars.
void expect_bars_for(int level)
{
    const HWND display = display_window();
    ASSERT_NE(nullptr, display);
    EXPECT_TRUE(IsWindowVisible(display));
    RECT bounds;
    HRGN expected = expected_bars(level, bounds);
    HRGN actual = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(ERROR, GetWindowRgn(display, actual));
    RECT window;
    GetWindowRect(display, &window);
    OffsetRgn(actual, window.left, window.top); // window to screen coordinates
    HRGN area = CreateRectRgnIndirect(&bounds);
    CombineRgn(actual, actual, area, RGN_AND);
    EXPECT_TRUE(EqualRgn(actual, expected)) << "level " << level;
    DeleteObject(area);
    DeleteObject(actual);
    DeleteObject(expected);
}

struct KeyhostTest : ::testing::Test {
    void SetUp() override
    {
        // The mixer of Wine's PulseAudio driver must be there for the volume
        // checks to mean anything.
        ASSERT_EQ(0, Mixer_Init(nullptr));
        ASSERT_EQ(1024, GetSystemMetrics(SM_CXSCREEN)) << "the expected bars are written for 1024 x 768";
        ASSERT_EQ(768, GetSystemMetrics(SM_CYSCREEN));
        ASSERT_FALSE(IsWinVista());
        ASSERT_EQ(0, Mixer_VolumeDown(0xFFFF));
        ASSERT_EQ(0, current_level());
        Mixer_SetMuteState(0);
    }
};

TEST_F(KeyhostTest, VolumeKeysStepTheMixerAndDrawTheBarsOfEachLevel)
{
    std::vector<int> levels;
    bool mute_seen = false;
    const bool finished = replay(
        "press 0xE9\n"
        "wait 450\n"      // the held key repeats after one skipped tick
        "release 0xE9\n"
        "wait 300\n"
        "key 0xEA\n"
        "key 0xE2\n",
        true, [&](const ReplayStep& step) {
            if (step.kind == StepKind::Press && step.code == 0xE9) {
                levels.push_back(current_level());
                expect_bars_for(levels.back());
            } else if (step.kind == StepKind::Release) {
                levels.push_back(current_level());
            } else if (step.kind == StepKind::Key && step.code == 0xEA) {
                levels.push_back(current_level());
                expect_bars_for(levels.back());
            } else if (step.kind == StepKind::Key && step.code == 0xE2) {
                mute_seen = Mixer_GetMuteState() != 0;
            }
        });
    ASSERT_TRUE(finished);
    ASSERT_EQ(3u, levels.size());
    EXPECT_GT(levels[0], 0) << "Volume Up stepped the mixer at once";
    EXPECT_GT(levels[1], levels[0]) << "holding the key repeated the step";
    EXPECT_LT(levels[2], levels[1]) << "Volume Down stepped back";
    EXPECT_TRUE(mute_seen) << "Mute toggled the mixer's mute";
}

// A hash of a window's client pixels as the window painted them.
std::uint64_t picture_hash(HWND window)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(window);
    std::uint64_t hash = 1469598103934665603ull;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x)
            hash = (hash ^ GetPixel(dc, x, y)) * 1099511628211ull;
    ReleaseDC(window, dc);
    return hash;
}

TEST_F(KeyhostTest, LockKeysShowTheIndicatorWithTheStatePicture)
{
    std::uint64_t on = 0;
    std::uint64_t off = 0;
    RECT at{};
    const bool finished = replay("lock caps on\nlock caps off\n", false, [&](const ReplayStep& step) {
        const HWND caps = FindWindowA("VX_OSD_CAPSLK_WNDCLASS", "VX_OSD_CAPSLK_WND");
        ASSERT_NE(nullptr, caps);
        EXPECT_TRUE(IsWindowVisible(caps));
        GetWindowRect(caps, &at);
        (step.on ? on : off) = picture_hash(caps);
    });
    ASSERT_TRUE(finished);
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(work.left + 40, at.left);
    EXPECT_EQ(work.bottom - 40 - 48, at.top);
    EXPECT_EQ(48, at.right - at.left);
    EXPECT_EQ(48, at.bottom - at.top);
    EXPECT_NE(on, off) << "Caps Lock on and off show different pictures";
}

TEST_F(KeyhostTest, CalculatorKeyStartsTheCalculator)
{
    // The calculator is found through App Paths, the way the shell finds it.
    const std::string folder = temp_folder("keyhost-calc");
    const std::string calc = folder + "\\calc.exe";
    const std::string log = folder + "\\calc.log";
    DeleteFileA(log.c_str());
    ASSERT_TRUE(CopyFileA((vxtest::program_folder() + "stand_in.exe").c_str(), calc.c_str(), FALSE));
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\calc.exe", 0,
                              nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr));
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(calc.c_str()),
                   static_cast<DWORD>(calc.size() + 1));
    RegCloseKey(key);

    const bool finished = replay("key 0x192\n", false, [](const ReplayStep&) {});
    ASSERT_TRUE(finished);
    bool started = false;
    for (int i = 0; i < 50 && !started; ++i) {
        started = GetFileAttributesA(log.c_str()) != INVALID_FILE_ATTRIBUTES;
        if (!started)
            Sleep(100);
    }
    EXPECT_TRUE(started) << "the calculator stand-in left no record";
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\calc.exe");
}

// Key event to installed display region, for both layouts; the figures are
// printed for the record and bounded loosely so a slow machine still passes.
TEST_F(KeyhostTest, HundredVolumeStepsStayFast)
{
    std::string script;
    for (int i = 0; i < 50; ++i)
        script += "key 0xE9\nkey 0xEA\n";
    for (const bool classic : {false, true}) {
        std::vector<double> latencies;
        ASSERT_TRUE(replay(script, classic, [](const ReplayStep&) {}, &latencies));
        ASSERT_EQ(100u, latencies.size());
        std::sort(latencies.begin(), latencies.end());
        std::printf("%s layout: key event to display over 100 volume steps: median %.2f ms, worst %.2f ms\n",
                    classic ? "classic" : "framed", latencies[50], latencies.back());
        EXPECT_LT(latencies[50], 50.0);
    }
}

} // namespace
