// The reference host end to end: replay scripts, keys injected with SendInput
// and window messages go through the host into the real VXUtil.dll and
// VXOSD.dll; the tests look at the mixer level, the display window's region,
// the indicator windows, what reaches another program's window, the
// notification icon (through a stand-in taskbar) and the programs started.
#include <gtest/gtest.h>

#include <windows.h>
#include <wtsapi32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <atomic>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "host.h"
#include "platform/capture_seam.h"
#include "shell/display_settings.h"
#include "log/host_log.h"
#include "platform/seam.h"
#include "platform/session_seam.h"
#include "replay/replay_runner.h"
#include "replay/soak_sample.h"
#include "shell/single_copy.h"
#include "shell/tray_icon.h"
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
    const UINT_PTR watchdog = SetTimer(nullptr, 0, 60000, [](HWND, UINT, UINT_PTR, DWORD) WINAPI { PostQuitMessage(99); });
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
        // What one step of the mixer reads back as here.
        ASSERT_EQ(0, Mixer_VolumeDown(0xFFFF));
        Mixer_VolumeUp(0);
        one_step = current_level();
        ASSERT_EQ(0, Mixer_VolumeDown(0xFFFF));
        ASSERT_EQ(0, current_level());
        Mixer_SetMuteState(0);
    }
    int one_step = 0;
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
        "key 0xE2\n"
        "key 0x100A9\n", // the microphone key: keyhost's own, not the table's
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
            } else if (step.kind == StepKind::Key) {
                EXPECT_TRUE(IsWindowVisible(FindWindowA("VX_OSD_MIC_WNDCLASS", nullptr))) << "mic indicator";
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
    // The calculator is started by its full path in the system folder, never
    // by a bare name that the current folder or search path could answer.
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string calc = std::string(system) + "\\calc.exe";
    const std::string log = std::string(system) + "\\calc.log";
    DeleteFileA(log.c_str());
    ASSERT_TRUE(CopyFileA((vxtest::program_folder() + "stand_in.exe").c_str(), calc.c_str(), FALSE));

    const bool finished = replay("key 0x192\n", false, [](const ReplayStep&) {});
    ASSERT_TRUE(finished);
    bool started = false;
    for (int i = 0; i < 50 && !started; ++i) {
        started = GetFileAttributesA(log.c_str()) != INVALID_FILE_ATTRIBUTES;
        if (!started)
            Sleep(100);
    }
    EXPECT_TRUE(started) << "the calculator stand-in left no record";
    for (int i = 0; i < 50 && !DeleteFileA(calc.c_str()); ++i)
        Sleep(100);
    DeleteFileA(log.c_str());
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

// The long run's sample counts what the process holds, also where the
// system's counters answer 0 (Wine), and sees a volume repeat left running.
TEST_F(KeyhostTest, SoakSampleCountsWhatTheProcessHoldsAndSeesARepeatLeftRunning)
{
    // VXUtil keeps its repeat timer's window on the thread that last started
    // a repeat (keyhost's action thread until now): one key on this thread
    // first, so the figures below count only what the test makes.
    Mixer_StartVolumeIncrease();
    Mixer_StopVolumeIncrease();
    const keyhost::ResourceSample before = keyhost::sample_at_rest(0, 100);
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HRGN region = CreateRectRgn(0, 0, 1, 1);
    HMENU menu = CreatePopupMenu();
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
    Mixer_StartVolumeIncrease();
    const keyhost::ResourceSample held = keyhost::sample_at_rest(1, 100);
    Mixer_StopVolumeIncrease();
    CloseHandle(event);
    DeleteObject(region);
    DestroyMenu(menu);
    DestroyWindow(window);
    const keyhost::ResourceSample after = keyhost::sample_at_rest(2, 100);

    EXPECT_EQ(before.handles + 1, held.handles);
    EXPECT_EQ(before.gdi + 1, held.gdi);
    EXPECT_EQ(before.user + 2, held.user) << "a menu and a window";
    EXPECT_EQ(before.windows + 1, held.windows);
    EXPECT_NE("", held.repeating);
    EXPECT_TRUE(held.volume_moved);
    EXPECT_EQ((std::vector<std::uint32_t>{before.handles, before.gdi, before.user, before.windows}),
              (std::vector<std::uint32_t>{after.handles, after.gdi, after.user, after.windows}));
    EXPECT_EQ("", after.repeating);
    EXPECT_FALSE(after.volume_moved);
    EXPECT_GT(before.private_kib, 0u);
}

} // namespace

// ---- The host as it runs on a desktop: real keys, messages, the taskbar ----

namespace {

// Runs the message loop for `ms` milliseconds; a quit message is dropped.
void pump(DWORD ms)
{
    const DWORD end = GetTickCount() + ms;
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        const DWORD left = end - GetTickCount();
        if (static_cast<int>(left) <= 0)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, left, QS_ALLINPUT);
    }
}

void send_key(WORD key, bool up)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

void tap(WORD key)
{
    send_key(key, false);
    send_key(key, true);
}

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A host started on the test's thread, as keyhost runs it, until the scope ends.
struct LiveHost {
    explicit LiveHost(const char* name) : folder(temp_folder(name)), host(keyhost::Options{{}, folder, false})
    {
        started = host.start(GetModuleHandleA(nullptr));
    }
    ~LiveHost()
    {
        DestroyWindow(host.window());
        pump(20);
    }
    std::string log() const { return read_file(folder + "\\keyhost.log"); }
    std::string folder;
    keyhost::Host host;
    bool started = false;
};

// Another program's focused window, on a thread of its own: counts the key
// downs that reach it.
struct ForegroundWindow {
    ForegroundWindow()
    {
        ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread = CreateThread(nullptr, 0, run, this, 0, nullptr);
        WaitForSingleObject(ready, 5000);
    }
    ~ForegroundWindow()
    {
        PostMessageA(window, WM_CLOSE, 0, 0);
        WaitForSingleObject(thread, 5000);
        CloseHandle(thread);
        CloseHandle(ready);
    }
    static DWORD WINAPI run(void* self)
    {
        auto& me = *static_cast<ForegroundWindow*>(self);
        WNDCLASSA wc{};
        wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) WINAPI -> LRESULT {
            if (m == WM_KEYDOWN)
                ++reinterpret_cast<ForegroundWindow*>(GetWindowLongPtrA(w, GWLP_USERDATA))->seen[wp & 0xFF];
            if (m == WM_DESTROY)
                PostQuitMessage(0);
            return DefWindowProcA(w, m, wp, lp);
        };
        wc.lpszClassName = "KeyhostTestForeground";
        RegisterClassA(&wc);
        me.window = CreateWindowExA(0, wc.lpszClassName, "another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                    300, 200, nullptr, nullptr, nullptr, nullptr);
        SetWindowLongPtrA(me.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&me));
        SetForegroundWindow(me.window);
        SetFocus(me.window);
        SetEvent(me.ready);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0)
            DispatchMessageA(&msg);
        return 0;
    }
    HANDLE ready = nullptr;
    HANDLE thread = nullptr;
    HWND window = nullptr;
    std::atomic<int> seen[256] = {};
};

} // namespace

TEST_F(KeyhostTest, KeysTheHostTakesActOnceAndNeverReachTheFocusedProgram)
{
    LiveHost live("keyhost-hook");
    ASSERT_TRUE(live.started);
    ForegroundWindow other;
    ASSERT_EQ(other.window, GetForegroundWindow());
    // No mail client: the Mail key's function does nothing and gives it back.
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, "Software\\Clients\\Mail", nullptr);
    tap(VK_VOLUME_UP);
    tap(VK_MEDIA_PLAY_PAUSE); // no CD drive here: the key stays Windows'
    tap(VK_BROWSER_SEARCH);   // no function in the table
    tap(VK_LAUNCH_MAIL);
    pump(300);
    EXPECT_EQ(one_step, current_level()) << "Volume Up acted once";
    EXPECT_EQ(0, other.seen[VK_VOLUME_UP]);
    EXPECT_EQ(1, other.seen[VK_MEDIA_PLAY_PAUSE]);
    EXPECT_EQ(1, other.seen[VK_BROWSER_SEARCH]);
    EXPECT_EQ(1, other.seen[VK_LAUNCH_MAIL]) << "given back once";
}

TEST_F(KeyhostTest, KeysPassToWindowsWhileTheActionThreadIsBusyAndNothingActsLate)
{
    LiveHost live("keyhost-busy");
    ForegroundWindow other;
    // A key function that blocks without a message loop, as a player start does.
    std::atomic<bool> blocking{false};
    live.host.on_actions([&] {
        blocking = true;
        Sleep(1500);
    });
    while (!blocking)
        Sleep(1);
    tap(VK_VOLUME_DOWN); // taken at once, then not picked up in time
    pump(600);
    tap(VK_VOLUME_UP); // the action thread is busy: straight to Windows
    pump(400);
    EXPECT_EQ(1, other.seen[VK_VOLUME_DOWN]) << "given back";
    EXPECT_EQ(1, other.seen[VK_VOLUME_UP]) << "passed";
    pump(1000);
    EXPECT_EQ(0, current_level()) << "neither key acted after the work ended";
    EXPECT_NE(std::string::npos, live.log().find("pass    0x00E9 to Windows (busy)")) << live.log();

    // Keys while a message box of the action thread is up.
    live.host.on_actions([] { MessageBoxA(nullptr, "busy", "keyhost busy test", MB_OK); });
    HWND box = nullptr;
    for (int i = 0; i < 100 && !(box = FindWindowA("#32770", "keyhost busy test")); ++i)
        pump(20);
    ASSERT_NE(nullptr, box);
    for (int i = 0; i < 5; ++i) {
        tap(VK_VOLUME_UP);
        tap(VK_VOLUME_MUTE);
        pump(100);
    }
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    pump(300);
    tap(VK_VOLUME_UP);
    pump(300);
    EXPECT_EQ(one_step, current_level()) << "after the box only the last key acted";
    EXPECT_EQ(0, Mixer_GetMuteState());
}

TEST_F(KeyhostTest, AHeldVolumeKeyEndsWhenItsReleaseCanBeLost)
{
    const std::pair<UINT, WPARAM> losses[] = {{WM_INPUT_DEVICE_CHANGE, GIDC_REMOVAL}, {WM_WTSSESSION_CHANGE, 7}};
    for (const auto& [message, wparam] : losses) {
        LiveHost live("keyhost-loss");
        send_key(VK_VOLUME_UP, false);
        pump(650);
        EXPECT_GT(current_level(), one_step) << "held, the key repeats";
        SendMessageA(live.host.window(), message, wparam, 0x1234);
        const int at_loss = current_level();
        pump(650);
        EXPECT_EQ(at_loss, current_level()) << "message " << message << " stopped the repeat";
        send_key(VK_VOLUME_UP, true);
        pump(20);
        Mixer_VolumeDown(0xFFFF);
    }
    // No notice at all: the hook stops seeing the key's repeats (Wine repeats
    // no injected key), so the key ends by itself.
    LiveHost live("keyhost-loss");
    send_key(VK_VOLUME_UP, false);
    pump(2000);
    const int ended = current_level();
    EXPECT_GT(ended, one_step);
    pump(600);
    EXPECT_EQ(ended, current_level());
    EXPECT_NE(std::string::npos, live.log().find("release 0x00E9: the keyboard stopped repeating it"));
    send_key(VK_VOLUME_UP, true);
    pump(20);
}

TEST_F(KeyhostTest, AKeyRepeatingPastTheLimitEndsOnceAndItsRepeatsDoNotStartItAgain)
{
    DeleteFileA((temp_folder("keyhost-limit") + "\\keyhost.log").c_str()); // this run's lines only
    LiveHost live("keyhost-limit");
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 9000) { // the keyboard's repeat, as a stuck key sends it
        send_key(VK_VOLUME_DOWN, false);
        pump(100);
    }
    send_key(VK_VOLUME_DOWN, true);
    pump(50);
    const std::string log = live.log();
    EXPECT_NE(std::string::npos, log.find("release 0x00EA: held longer than 8 s")) << log;
    EXPECT_EQ(log.find("press   0x00EA"), log.rfind("press   0x00EA")) << "pressed once";
    EXPECT_EQ(log.find("release 0x00EA Volume Down"), log.rfind("release 0x00EA Volume Down")) << "ended once";
}

TEST_F(KeyhostTest, AKeyboardHookWindowsRemovedIsNoticedAndInstalledAgain)
{
    LiveHost live("keyhost-hook-lost");
    ForegroundWindow other;
    live.host.drop_hook();
    pump(100);
    tap(VK_VOLUME_UP); // no hook: Windows has the key, Raw Input tells
    pump(600);
    EXPECT_EQ(1, other.seen[VK_VOLUME_UP]);
    EXPECT_NE(std::string::npos, live.log().find("hook    installed again after a key the hook did not see: done"));
    tap(VK_VOLUME_UP);
    pump(300);
    EXPECT_EQ(1, other.seen[VK_VOLUME_UP]) << "the new hook took it";
    EXPECT_EQ(one_step, current_level());
    SendMessageA(live.host.window(), WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0);
    EXPECT_NE(std::string::npos, live.log().find("hook    installed again after a session change: done"));
}

TEST_F(KeyhostTest, LockIndicatorShowsTheRealStateAfterAToggleTheHostDidNotSee)
{
    std::uint64_t on = 0;
    std::uint64_t off = 0;
    ASSERT_TRUE(replay("lock caps on\nlock caps off\n", false, [&](const ReplayStep& step) {
        (step.on ? on : off) = picture_hash(FindWindowA("VX_OSD_CAPSLK_WNDCLASS", nullptr));
    }));
    ForegroundWindow other; // the host's thread is not the one with the focus
    for (int round = 0; round < 2; ++round) {
        {
            LiveHost live("keyhost-lock");
            tap(VK_CAPITAL);
            pump(200);
            const bool caps = (GetKeyState(VK_CAPITAL) & 1) != 0;
            EXPECT_EQ(caps ? on : off, picture_hash(FindWindowA("VX_OSD_CAPSLK_WNDCLASS", nullptr))) << round;
        }
        tap(VK_CAPITAL); // between the rounds, with no host to see it
        pump(50);
    }
}

namespace {

// Stands in for Explorer's taskbar: Wine's Shell_NotifyIcon hands each call
// to the "Shell_TrayWnd" window as WM_COPYDATA (dwData = the NIM_ command,
// data starting with the icon's window and id).
struct StandInTaskbar {
    StandInTaskbar()
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) WINAPI -> LRESULT {
            auto* me = reinterpret_cast<StandInTaskbar*>(GetWindowLongPtrA(w, GWLP_USERDATA));
            if (m != WM_COPYDATA || !me)
                return DefWindowProcA(w, m, wp, lp);
            const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
            const HWND owner = reinterpret_cast<HWND>(
                static_cast<LONG_PTR>(*static_cast<const LONG*>(data->lpData)));
            if (data->dwData == NIM_ADD && me->accept)
                me->added.push_back(owner);
            // uVersion follows the window, id, flags, message, tip, state,
            // state mask and info text (Wine 8's layout).
            if (data->dwData == NIM_MODIFY && data->cbData >= 272 &&
                (static_cast<const UINT*>(data->lpData)[2] & NIF_TIP))
                me->tip = reinterpret_cast<const wchar_t*>(static_cast<const BYTE*>(data->lpData) + 16);
            if (data->dwData == NIM_MODIFY && (static_cast<const UINT*>(data->lpData)[2] & NIF_INFO))
                ++me->balloons;
            if (data->dwData == NIM_SETVERSION && data->cbData >= 796)
                me->versions.push_back(*reinterpret_cast<const UINT*>(static_cast<const BYTE*>(data->lpData) + 792));
            return me->accept;
        };
        wc.lpszClassName = "Shell_TrayWnd";
        RegisterClassA(&wc);
        window = CreateWindowExA(WS_EX_TOOLWINDOW, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                                 nullptr);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~StandInTaskbar() { DestroyWindow(window); }
    HWND window = nullptr;
    bool accept = true;
    std::vector<HWND> added;
    std::vector<UINT> versions;
    std::wstring tip;
    int balloons = 0;
};

// Starts the shipped keyhost from another current folder.
PROCESS_INFORMATION start_keyhost(const std::string& current_folder)
{
    // The build lays the shipped folder out beside the test programs' folder.
    std::string command = "\"";
    command += vxtest::program_folder() + "..\\keyhost-folder\\keyhost.exe\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, current_folder.c_str(), &startup,
                   &process);
    return process;
}

DWORD wait_for_exit(const PROCESS_INFORMATION& process)
{
    DWORD code = STILL_ACTIVE;
    for (int i = 0; i < 100 && code == STILL_ACTIVE; ++i) {
        pump(100);
        GetExitCodeProcess(process.hProcess, &code);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

} // namespace

TEST_F(KeyhostTest, TrayIconIsRetriedAndAddedAgainWhenTheTaskbarIsCreated)
{
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\VXKeyHost", L"TrayIntroShown");
    StandInTaskbar taskbar;
    taskbar.accept = false;
    LiveHost live("keyhost-tray");
    pump(200);
    EXPECT_TRUE(taskbar.added.empty());
    taskbar.accept = true;
    pump(1300);
    EXPECT_EQ(1u, taskbar.added.size()) << "the failed add was retried";
    PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    pump(200);
    EXPECT_EQ(2u, taskbar.added.size()) << "a new taskbar got the icon again";
    EXPECT_EQ(std::vector<UINT>(2, NOTIFYICON_VERSION_4), taskbar.versions) << "each add sets the version again";
    EXPECT_EQ(1, taskbar.balloons) << "the balloon saying where keyhost is comes once, with the first icon shown";
    live.host.on_actions([&live] { // Mute, at volume 0
        live.host.replay_key(0xE2, true);
        live.host.replay_key(0xE2, false);
    });
    pump(400);
    EXPECT_EQ(L"Multimedia keyboard\nVolume 0 %, muted", taskbar.tip);
}

// Each icon group holds a picture drawn for every small-icon size from 100
// to 200 %, and the high-contrast one is another picture.
TEST(KeyhostIcons, EveryScalingHasItsOwnPictureInBothVariants)
{
    const HMODULE self = GetModuleHandleA(nullptr);
    for (const int size : {16, 20, 24, 32}) {
        std::string pictures[2];
        for (const WORD group : {keyhost::kIconKeyhost, keyhost::kIconKeyhostHighContrast}) {
            HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(group), MAKEINTRESOURCEA(14)); // RT_GROUP_ICON
            ASSERT_NE(nullptr, found);
            auto* directory = static_cast<BYTE*>(LockResource(LoadResource(self, found)));
            const int id = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
            HRSRC image = FindResourceA(self, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3)); // RT_ICON
            ASSERT_NE(nullptr, image);
            const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(self, image)));
            EXPECT_EQ(size, header->biWidth) << "group " << group;
            EXPECT_EQ(32, header->biBitCount);
            pictures[group - 1].assign(reinterpret_cast<const char*>(header), SizeofResource(self, image));
        }
        EXPECT_NE(pictures[0], pictures[1]) << size;
    }
}

TEST_F(KeyhostTest, ShippedKeyhostStartsFromAnyFolderOnceAndLogsToLocalAppData)
{
    StandInTaskbar taskbar;
    const std::string log_path = keyhost::default_log_folder() + "\\keyhost.log";
    const std::size_t log_before = read_file(log_path).size();
    PROCESS_INFORMATION first = start_keyhost(temp_folder("keyhost-anywhere"));
    ASSERT_NE(nullptr, first.hProcess);
    for (int i = 0; i < 100 && taskbar.added.empty(); ++i)
        pump(100);
    ASSERT_EQ(1u, taskbar.added.size()) << "the first keyhost runs and shows its icon";
    const HWND running = taskbar.added[0];

    EXPECT_EQ(3u, wait_for_exit(start_keyhost(temp_folder("keyhost-anywhere")))) << "a second start ends at once";
    pump(300);
    EXPECT_EQ(1u, taskbar.added.size()) << "and adds no icon";
    PostMessageA(running, WM_COMMAND, keyhost::kMenuExit, 0);
    EXPECT_EQ(0u, wait_for_exit(first));

    std::string log = read_file(log_path);
    log.erase(0, log.size() >= log_before ? log_before : 0); // this run's lines, unless the log was set aside
    EXPECT_NE(std::string::npos, log.find("another start was refused")) << log;
    EXPECT_NE(std::string::npos, log.find("DPI awareness per monitor")) << log;
}

// Wine grants every access to a mutex of the same user, so the refusal a copy
// of another integrity level meets comes through the session seam.
TEST_F(KeyhostTest, ACopyWhoseMutexOpenIsRefusedCountsAsASecondStart)
{
    LiveHost running("keyhost-refused");
    vx::platform::SeamOverride<decltype(keyhost::platform::SessionSeam::CreateMutexA)> refused(
        keyhost::platform::session().CreateMutexA, [](LPSECURITY_ATTRIBUTES, BOOL, LPCSTR) WINAPI -> HANDLE {
            SetLastError(ERROR_ACCESS_DENIED);
            return nullptr;
        });
    EXPECT_FALSE(keyhost::first_in_session());
    pump(100);
    EXPECT_NE(std::string::npos, running.log().find("another start was refused"));
}

TEST_F(KeyhostTest, DisplaySettingsMenuAutostartAnnouncementsAndTheBoundedLog)
{
    const std::string folder = temp_folder("keyhost-settings");
    const std::string log = folder + "\\keyhost.log";
    std::ofstream(log, std::ios::binary) << std::string(keyhost::kMaxLogBytes, 'x');
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\VXKeyHost"); // the user's layer of the host's profile
    RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "VXKeyHost");
    {
        LiveHost live("keyhost-settings");
        EXPECT_EQ(1, keyhost::display_setting("Monitor"));
        EXPECT_EQ(1, keyhost::display_setting("FullScreen"));
        EXPECT_EQ(1, keyhost::display_setting("Announce"));
        SendMessageA(live.host.window(), WM_COMMAND, keyhost::kMenuMonitorPointer, 0);
        SendMessageA(live.host.window(), WM_COMMAND, keyhost::kMenuFullScreen, 0);
        pump(100); // the settings change on the action thread
        EXPECT_EQ(2, keyhost::display_setting("Monitor"));
        EXPECT_EQ(0, keyhost::display_setting("FullScreen"));

        SendMessageA(live.host.window(), WM_COMMAND, keyhost::kMenuAutostart, 0);
        char run[MAX_PATH + 3] = {};
        DWORD size = sizeof run;
        EXPECT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                                              "VXKeyHost", RRF_RT_REG_SZ, nullptr, run, &size));
        EXPECT_NE(nullptr, std::strstr(run, "keyhost_e2e_tests.exe\""));
        SendMessageA(live.host.window(), WM_COMMAND, keyhost::kMenuAutostart, 0);
        size = sizeof run;
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegGetValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                                                     "VXKeyHost", RRF_RT_REG_SZ, nullptr, run, &size));

        HWND said = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "Volume 45 %", WS_POPUP, 0, 0, 10, 10, nullptr,
                                    nullptr, nullptr, nullptr);
        NotifyWinEvent(EVENT_SYSTEM_ALERT, said, OBJID_CLIENT, CHILDID_SELF);
        pump(100);
        DestroyWindow(said);
        EXPECT_NE(std::string::npos, live.log().find("announce Volume 45 %"));
    }
    EXPECT_EQ(static_cast<std::size_t>(keyhost::kMaxLogBytes), read_file(folder + "\\keyhost.old.log").size());
    EXPECT_LT(read_file(log).size(), 4096u) << "a full log was set aside at the start";
    LiveHost again("keyhost-settings");
    EXPECT_EQ(2, keyhost::display_setting("Monitor")) << "a value the user chose stays";
}

// ---- Windows 10/11: Startup apps, the tray menu, the microphone, any folder ----

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kApprovedKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

std::wstring run_value()
{
    wchar_t run[1024] = {};
    DWORD size = sizeof run - sizeof(wchar_t);
    return RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"VXKeyHost", RRF_RT_REG_SZ, nullptr, run, &size) == ERROR_SUCCESS
               ? run
               : L"";
}

int approved_first_byte()
{
    BYTE value[64] = {};
    DWORD size = sizeof value;
    const LONG read =
        RegGetValueW(HKEY_CURRENT_USER, kApprovedKey, L"VXKeyHost", RRF_RT_REG_BINARY, nullptr, value, &size);
    return read == ERROR_SUCCESS && size == 12 ? value[0] : -1;
}

void set_approved(BYTE first)
{
    const BYTE value[12] = {first, 0, 0, 0, 0x17, 0x79, 0xBD, 0x01, 0x17, 0xD9, 0xD1, 0x01};
    RegSetKeyValueW(HKEY_CURRENT_USER, kApprovedKey, L"VXKeyHost", REG_BINARY, value, sizeof value);
}

// Opens the tray menu with the icon's notification `event` (version 4: the
// event in the low word, the place in wParam) and reads the "Start with
// Windows" item while the menu is up; -1 when no menu opened.
int autostart_item_checked(HWND host, WORD event)
{
    static int checked;
    checked = -1;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) WINAPI {
        HWND menu = FindWindowA("#32768", nullptr);
        if (!menu || !IsWindowVisible(menu))
            return;
        const auto items = reinterpret_cast<HMENU>(SendMessageA(menu, MN_GETHMENU, 0, 0));
        checked = (GetMenuState(items, keyhost::kMenuAutostart, MF_BYCOMMAND) & MF_CHECKED) ? 1 : 0;
        EndMenu();
    });
    PostMessageA(host, keyhost::kTrayMessage, MAKEWPARAM(300, 700), MAKELPARAM(event, 1));
    for (int i = 0; i < 20 && checked < 0; ++i)
        pump(50);
    KillTimer(nullptr, timer);
    pump(20);
    return checked;
}

} // namespace

TEST_F(KeyhostTest, StartWithWindowsFollowsTheStartupAppsSwitchAndTheMenuOpensFromTheIcon)
{
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring quoted_self = std::wstring(L"\"") + self + L"\"";
    RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, L"VXKeyHost", REG_SZ, L"\"C:\\old place\\keyhost.exe\"", 56);
    set_approved(2);
    LiveHost live("keyhost-startup");
    EXPECT_EQ(0, autostart_item_checked(live.host.window(), NIN_SELECT)) << "a Run value of another copy is not ours";
    EXPECT_NE(std::string::npos, live.log().find("names another copy of keyhost")) << live.log();

    RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, L"VXKeyHost", REG_SZ, quoted_self.c_str(),
                    static_cast<DWORD>((quoted_self.size() + 1) * sizeof(wchar_t)));
    set_approved(3); // switched off in Task Manager or Settings
    EXPECT_EQ(0, autostart_item_checked(live.host.window(), WM_CONTEXTMENU));
    set_approved(6); // enabled, as some installers write it
    EXPECT_EQ(1, autostart_item_checked(live.host.window(), NIN_KEYSELECT));

    set_approved(7);
    SendMessageA(live.host.window(), WM_COMMAND, keyhost::kMenuAutostart, 0);
    EXPECT_EQ(2, approved_first_byte()) << "turning it on enables it for Windows";
    EXPECT_EQ(quoted_self, run_value());
    EXPECT_EQ(1, autostart_item_checked(live.host.window(), WM_CONTEXTMENU));

    SendMessageA(live.host.window(), WM_COMMAND, keyhost::kMenuAutostart, 0);
    EXPECT_EQ(L"", run_value());
    EXPECT_EQ(-1, approved_first_byte()) << "off removes the switch too";
    EXPECT_EQ(-1, autostart_item_checked(live.host.window(), WM_MOUSEMOVE)) << "only a selection opens the menu";
}

TEST_F(KeyhostTest, ShippedKeyhostInAFolderOutsideTheCodePageStartsItselfFromThere)
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"keyhost \x0414\x043C\x0438\x0442\x0440\x0438\x0439 \x0141ukasz \x6771\x4EAC";
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const wchar_t* file : {L"keyhost.exe", L"VXUtil.dll", L"VXOSD.dll"}) {
        std::string from = vxtest::program_folder() + "..\\keyhost-folder\\";
        ASSERT_TRUE(CopyFileW((std::wstring(from.begin(), from.end()) + file).c_str(), (folder + L"\\" + file).c_str(),
                              FALSE));
    }
    const std::wstring log_folder = folder + L"\\log \x0416";
    std::wstring command = L"\"" + folder + L"\\keyhost.exe\" --out \"" + log_folder + L"\"";
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"VXKeyHost");

    StandInTaskbar taskbar;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                               &process));
    for (int i = 0; i < 100 && taskbar.added.empty(); ++i)
        pump(100);
    ASSERT_EQ(1u, taskbar.added.size());
    PostMessageA(taskbar.added[0], WM_COMMAND, keyhost::kMenuAutostart, 0);
    for (int i = 0; i < 50 && run_value().empty(); ++i)
        pump(100);
    PostMessageA(taskbar.added[0], WM_COMMAND, keyhost::kMenuExit, 0);
    EXPECT_EQ(0u, wait_for_exit(process));

    const std::wstring run = run_value();
    EXPECT_EQ(L"\"" + folder + L"\\keyhost.exe\"", run) << "quoted, with every character of the folder";
    ASSERT_GT(run.size(), 2u);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(run.substr(1, run.size() - 2).c_str()));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((log_folder + L"\\keyhost.log").c_str()))
        << "the log folder from the command line was created as given";
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"VXKeyHost");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kApprovedKey, L"VXKeyHost");
}

namespace {

// A microphone behind the capture seam: the endpoint and the mixer each
// present or not, with a mute that "another program" may change.
struct FakeMicrophone {
    static inline int endpoint = 0; // -1 none, else the mute
    static inline int mixer = -1;
    static inline int sets = 0;
    static int get(int& mute, char* why, std::size_t size)
    {
        if (mute < 0)
            std::snprintf(why, size, "fake: none");
        return mute;
    }
    FakeMicrophone(int endpoint_mute, int mixer_mute)
        : guard(keyhost::platform::capture(),
                keyhost::platform::CaptureSeam{
                    {[](char* why, std::size_t size) { return get(endpoint, why, size); },
                     [](bool muted) { ++sets; endpoint = muted; return true; }},
                    {[](char* why, std::size_t size) { return get(mixer, why, size); },
                     [](bool muted) { ++sets; mixer = muted; return true; }}})
    {
        endpoint = endpoint_mute;
        mixer = mixer_mute;
        sets = 0;
    }
    vx::platform::ScopedSeam<keyhost::platform::CaptureSeam> guard;
};

HWND mic_indicator() { return FindWindowA("VX_OSD_MIC_WNDCLASS", nullptr); }

} // namespace

TEST_F(KeyhostTest, MicrophoneKeyMutesTheDeviceAndShowsWhatItReadsBack)
{
    std::uint64_t muted = 0;
    std::uint64_t open = 0;
    ASSERT_TRUE(replay("mic on\nmic off\n", false, [&](const ReplayStep& step) {
        (step.on ? muted : open) = picture_hash(mic_indicator());
    }));
    ASSERT_NE(muted, open);
    const std::string press = "key 0x100A9\n";
    {
        FakeMicrophone mic(0, 0);
        std::vector<int> device;
        std::vector<std::uint64_t> shown;
        ASSERT_TRUE(replay(press + press + press, false, [&](const ReplayStep&) {
            device.push_back(FakeMicrophone::endpoint);
            shown.push_back(picture_hash(mic_indicator()));
            if (device.size() == 1)
                FakeMicrophone::endpoint = 0; // a meeting program unmuted it
        }));
        EXPECT_EQ((std::vector<int>{1, 1, 0}), device) << "each press starts from the device's state";
        EXPECT_EQ((std::vector<std::uint64_t>{muted, muted, open}), shown);
        EXPECT_EQ(0, FakeMicrophone::mixer) << "the mixer is only the fallback";
    }
    {
        FakeMicrophone mic(-1, 1);
        ASSERT_TRUE(replay(press, false, [&](const ReplayStep&) {
            EXPECT_EQ(0, FakeMicrophone::mixer) << "without an endpoint the mixer's mute is used";
            EXPECT_EQ(open, picture_hash(mic_indicator()));
        }));
    }
    {
        FakeMicrophone mic(-1, -1);
        const std::string log = temp_folder("keyhost-e2e") + "\\keyhost.log";
        DeleteFileA(log.c_str());
        ASSERT_TRUE(replay(press, false, [&](const ReplayStep&) {
            const HWND indicator = mic_indicator();
            EXPECT_TRUE(!indicator || !IsWindowVisible(indicator)) << "no device, no indicator";
        }));
        EXPECT_EQ(0, FakeMicrophone::sets);
        EXPECT_NE(std::string::npos, read_file(log).find("no microphone to mute: fake: none; fake: none"));
    }
}
