// The CD keys over every disc kind: messages through the dialog seam, MCI
// for an audio CD without a player, and player windows (in this process, or
// a stand-in player program for the start-up cases) that record what they
// receive.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "buttons/cd/audio_cd.h"
#include "buttons/cd/cd_buttons.h"
#include "buttons/cd/disc_detection.h"
#include "buttons/cd/media_players.h"
#include "platform/dialog_seam.h"
#include "platform/input_seam.h"
#include "support/pe_exports.h"
#include "vxutil.h"
#include "vxutil/cd_fakes.h"

using vxtest::FakeCd;
namespace fs = std::filesystem;

namespace {

struct Box {
    std::string text, caption;
    UINT flags;
    HWND owner;
};
std::vector<Box> g_boxes;
std::vector<UINT> g_beeps;
std::vector<BYTE> g_keys; // key-down events
bool g_press_play_inside_box = false;

int WINAPI fake_box(HWND owner, LPCSTR text, LPCSTR caption, UINT flags)
{
    g_boxes.push_back({text, caption, flags, owner});
    if (g_press_play_inside_box) {
        g_press_play_inside_box = false;
        CD_Play(); // a key pressed while the box is open
    }
    return IDOK;
}
BOOL WINAPI fake_beep(UINT type)
{
    g_beeps.push_back(type);
    return TRUE;
}
void WINAPI fake_key(BYTE key, BYTE, DWORD flags, ULONG_PTR)
{
    if (!(flags & KEYEVENTF_KEYUP))
        g_keys.push_back(key);
}

struct Received {
    std::string cls;
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
};
std::vector<Received> g_received;
// When set, a player window that takes the focus hands the foreground on to
// this window at once, as Windows does for a host it refuses the foreground.
HWND g_foreground_refused_for = nullptr;

LRESULT CALLBACK player_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_SETFOCUS && g_foreground_refused_for && window != g_foreground_refused_for)
        SetForegroundWindow(g_foreground_refused_for);
    if (message == WM_APPCOMMAND || message == WM_COMMAND || (message >= 1000 && message < 0xC000)) {
        char cls[64] = {};
        GetClassNameA(window, cls, sizeof cls);
        g_received.push_back({cls, message, wparam, lparam});
        return message == WM_APPCOMMAND ? TRUE : 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

// A top-level player window of this process with the given class (and
// title), destroyed at the end of the scope.
struct PlayerWindow {
    HWND window = nullptr;
    PlayerWindow(const char* cls, const char* title = "player")
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = player_proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = cls;
        RegisterClassA(&wc);
        window = CreateWindowA(cls, title, WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~PlayerWindow()
    {
        if (window)
            DestroyWindow(window);
    }
};

void pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

struct CdKeys : ::testing::Test {
    FakeCd cd;
    fs::path base;
    LCID saved_locale = GetThreadLocale();
    vx::platform::DialogSeam dialog_fakes = [] {
        auto d = vx::platform::dialogs();
        d.MessageBoxA = fake_box;
        d.MessageBeep = fake_beep;
        return d;
    }();
    vx::platform::ScopedSeam<vx::platform::DialogSeam> dialogs{vx::platform::dialogs(), dialog_fakes};
    vx::platform::SeamOverride<decltype(vx::platform::InputSeam::keybd_event)> keys{vx::platform::input().keybd_event,
                                                                                  fake_key};

    void SetUp() override
    {
        SetThreadLocale(MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT));
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        base = fs::path(temp) / ("vxkeys_" + std::to_string(GetCurrentProcessId()));
        fs::remove_all(base);
        cd.mci.audio_tracks = {false};
        g_boxes.clear();
        g_beeps.clear();
        g_keys.clear();
        g_received.clear();
        vx::disc::play_state() = {};
        vx::players::reset_for_tests();
        vx::audio_cd::reset_for_tests();
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(base, ec);
        SetThreadLocale(saved_locale);
        vx::disc::play_state() = {};
        vx::players::reset_for_tests();
    }
    // One CD-ROM drive holding the given files (no volume when `mounted` is false).
    void disc(std::initializer_list<const char*> files, bool mounted = true)
    {
        const fs::path root = base / "disc";
        fs::create_directories(root);
        for (const char* f : files) {
            const fs::path p = root / f;
            fs::create_directories(p.parent_path());
            std::ofstream(p) << "x";
        }
        cd.optical.drives = {{"C:\\", DRIVE_FIXED, true}, {root.string() + "\\", DRIVE_CDROM, mounted}};
    }
    static int all_keys()
    {
        return CD_Play() + CD_Pause() + CD_PlayPause() + CD_Stop() + CD_NextTrack() + CD_PrevTrack();
    }
};

const char kNoDiscText[] = "There is no CD in the drive.  Please insert an audio CD, VCD or DVD and try again.";

} // namespace

TEST_F(CdKeys, NoDiscShowsTheNoDiscMessageForEveryKey)
{
    disc({"Track01.cda"}, false);
    EXPECT_EQ(6, all_keys());
    ASSERT_EQ(6u, g_boxes.size());
    for (const Box& b : g_boxes) {
        EXPECT_EQ(kNoDiscText, b.text);
        EXPECT_EQ("Error", b.caption);
        EXPECT_EQ(static_cast<UINT>(MB_SYSTEMMODAL | MB_ICONINFORMATION), b.flags);
        EXPECT_EQ(nullptr, b.owner);
    }
    EXPECT_TRUE(cd.mci.commands.empty());
}

TEST_F(CdKeys, MessagesFollowTheThreadLanguage)
{
    disc({}, false);
    SetThreadLocale(MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT));
    CD_Play();
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ("Fehler", g_boxes[0].caption);
    EXPECT_EQ(0u, g_boxes[0].text.find("Im Laufwerk befindet sich keine CD."));
}

TEST_F(CdKeys, WithoutDriveNothingHappensAndTheKeysAreLeftToTheHost)
{
    cd.optical.drives = {{"C:\\", DRIVE_FIXED, true}};
    EXPECT_EQ(0, all_keys()) << "a key that did nothing is not handled";
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_TRUE(cd.mci.commands.empty());
    EXPECT_EQ(0, vx::cd_buttons::dispatch(0xE9)) << "not a CD key";
}

TEST_F(CdKeys, DataDiscAndSoftwareCdExplainThemselves)
{
    disc({"readme.txt"});
    CD_Play();
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(0u, g_boxes[0].text.find("The CD in the drive contains software, it is not an audio CD"));

    g_boxes.clear();
    fs::remove_all(base);
    disc({"AUTORUN.INF"});
    EXPECT_EQ(1, CD_Play());
    EXPECT_EQ(1, CD_PlayPause());
    EXPECT_TRUE(g_boxes.empty()) << "play opens the disc's autorun instead";
    CD_NextTrack();
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ("This button is not available for software CDs. You can use this button only with an audio CD, VCD, or DVD.",
              g_boxes[0].text);
}

TEST_F(CdKeys, SecondMessageWhileTheBoxIsOpenOnlyBeeps)
{
    disc({}, false);
    g_press_play_inside_box = true;
    CD_Stop();
    EXPECT_EQ(1u, g_boxes.size());
    EXPECT_EQ(std::vector<UINT>{MB_ICONASTERISK}, g_beeps);
    CD_Stop();
    EXPECT_EQ(2u, g_boxes.size()) << "the next message after the box closed is shown";
}

TEST_F(CdKeys, AudioCdWithoutPlayerDrivesMciAndAlternatesPlayPause)
{
    disc({"Track01.cda", "Track02.cda"});
    EXPECT_EQ(1, CD_PlayPause());
    EXPECT_EQ("playing", cd.mci.mode);
    EXPECT_EQ(1, CD_IsPlaying());
    cd.mci.position = "02:00:30:00";
    EXPECT_EQ(1, CD_PlayPause());
    EXPECT_EQ("paused", cd.mci.mode);
    EXPECT_EQ(0, CD_IsPlaying());
    EXPECT_EQ(1, CD_PlayPause());
    EXPECT_EQ("playing", cd.mci.mode);
    EXPECT_EQ("play vxbcd from 02:00:30:00", cd.mci.commands.back()) << "resumed where it paused";
    CD_Stop();
    EXPECT_EQ("stopped", cd.mci.mode);
    EXPECT_EQ(0, CD_IsPlaying());
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(CdKeys, RunningMediaPlayerGetsAppCommandsAndPauseWhenStoppedSendsNothing)
{
    disc({"Track01.cda"});
    PlayerWindow wmp("WMPlayerApp");
    ASSERT_NE(nullptr, wmp.window);
    CD_Pause(); // the drive is not asked to move: no SCSI device, so "not playing"
    EXPECT_TRUE(g_received.empty());
    // Within a second of that check the flag would only be inverted.
    cd.tick += 2000;
    CD_Play();
    ASSERT_EQ(1u, g_received.size());
    EXPECT_EQ(static_cast<UINT>(WM_APPCOMMAND), g_received[0].message);
    EXPECT_EQ(reinterpret_cast<WPARAM>(wmp.window), g_received[0].wparam);
    EXPECT_EQ(static_cast<LPARAM>(14) << 16, g_received[0].lparam);
    CD_NextTrack();
    CD_PrevTrack();
    vx::disc::play_state().flag = 1;
    CD_Stop();
    ASSERT_EQ(4u, g_received.size());
    EXPECT_EQ(static_cast<LPARAM>(11) << 16, g_received[1].lparam);
    EXPECT_EQ(static_cast<LPARAM>(12) << 16, g_received[2].lparam);
    EXPECT_EQ(static_cast<LPARAM>(13) << 16, g_received[3].lparam);
    EXPECT_EQ(0, CD_IsPlaying());
    EXPECT_TRUE(cd.mci.commands.empty() || cd.mci.count("play") == 0) << "MCI is not driven";
}

TEST_F(CdKeys, OldMediaPlayerGetsCharactersExceptOnWindows2000)
{
    disc({"Track01.cda"});
    PlayerWindow old("MMFRAME_MAIN");
    CD_NextTrack();
    CD_PrevTrack();
    CD_Stop();
    CD_Play();
    ASSERT_EQ(4u, g_received.size());
    EXPECT_EQ(static_cast<WPARAM>('n'), g_received[0].wparam);
    EXPECT_EQ(static_cast<WPARAM>('m'), g_received[1].wparam);
    EXPECT_EQ(static_cast<WPARAM>('i'), g_received[2].wparam);
    EXPECT_EQ(static_cast<WPARAM>('h'), g_received[3].wparam);
    EXPECT_EQ(1, CD_IsPlaying());

    g_received.clear();
    cd.set_version(5, 0);
    CD_NextTrack();
    ASSERT_EQ(1u, g_received.size());
    EXPECT_EQ(static_cast<UINT>(WM_APPCOMMAND), g_received[0].message);
    EXPECT_EQ(static_cast<LPARAM>(11) << 16, g_received[0].lparam);
}

TEST_F(CdKeys, OldCdPlayerTogglesPlayAndPauseByTheFlag)
{
    disc({"Track01.cda"});
    PlayerWindow player("SJE_CdPlayerClass");
    CD_PlayPause();
    CD_PlayPause();
    CD_NextTrack();
    ASSERT_EQ(3u, g_received.size());
    EXPECT_EQ(1000u, g_received[0].wparam);
    EXPECT_EQ(1001u, g_received[1].wparam);
    EXPECT_EQ(1006u, g_received[2].wparam);
    EXPECT_EQ(0, CD_IsPlaying());
}

TEST_F(CdKeys, RunningWinDvdIsOnlyBroughtForward)
{
    disc({"Track01.cda"});
    PlayerWindow windvd("WinDVDClass");
    PlayerWindow wmp("WMPlayerApp");
    CD_Play();
    EXPECT_TRUE(g_received.empty());
    EXPECT_TRUE(IsWindowVisible(windvd.window));
    EXPECT_TRUE(cd.mci.commands.empty());
}

TEST_F(CdKeys, DvdWithoutAnyPlayerSaysSo)
{
    disc({"video_ts\\vts_01_0.ifo"});
    CD_Play();
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(0u, g_boxes[0].text.find("Could not find a compatible VCD or DVD player program on this computer."));
    EXPECT_EQ(0, LaunchVideoPlayer());
    EXPECT_EQ(0, ActivePlayer());
}

TEST_F(CdKeys, VideoCdDrivesTheCyberLinkPlayerByMessages)
{
    disc({"vcd\\info.vcd"});
    PlayerWindow player("Class of CyberLink Universal Player", "CyberLink Universal Player");
    CD_Play();
    CD_PlayPause();
    CD_NextTrack();
    CD_Stop();
    pump();
    ASSERT_EQ(4u, g_received.size());
    EXPECT_EQ(1033u, g_received[0].message);
    EXPECT_EQ(1035u, g_received[1].message) << "play/pause after play pauses";
    EXPECT_EQ(1036u, g_received[2].message);
    EXPECT_EQ(1031u, g_received[3].message);
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_EQ(player.window, vx::players::active_player());
    EXPECT_EQ(1, ActivePlayer());
    DestroyWindow(player.window);
    player.window = nullptr;
    EXPECT_EQ(0, ActivePlayer());
    EXPECT_EQ(nullptr, vx::players::active_player()) << "a vanished player is forgotten";
}

namespace {

// HKLM keys a test writes, removed again afterwards.
struct RegistryValue {
    std::string key;
    bool created;
    RegistryValue(const std::string& k, const char* name, const std::string& data) : key(k)
    {
        HKEY h;
        DWORD disposition = 0;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, &disposition);
        created = disposition == REG_CREATED_NEW_KEY;
        RegSetValueExA(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), static_cast<DWORD>(data.size() + 1));
        RegCloseKey(h);
        this->name = name;
    }
    ~RegistryValue()
    {
        if (created)
            RegDeleteTreeA(HKEY_LOCAL_MACHINE, key.c_str());
        else
            RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, key.c_str(), name.c_str());
    }
    std::string name;
};

std::string read_log(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The stand-in player's window once it shows (up to 5 s); null when it does not.
HWND started_player()
{
    HWND player = nullptr;
    for (int i = 0; i < 50 && !(player = FindWindowA("WMPlayerApp", nullptr)); ++i)
        Sleep(100);
    return player;
}

// Closes the stand-in player and waits for its window to go.
void close_player(HWND player)
{
    PostMessageA(player, WM_CLOSE, 0, 0);
    for (int i = 0; i < 50 && IsWindow(player); ++i)
        Sleep(100);
}

} // namespace

TEST_F(CdKeys, WinDvdFolderPrefersTheGreatestDvdKey)
{
    HKEY existing;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\InterVideo", 0, KEY_READ, &existing) == ERROR_SUCCESS) {
        RegCloseKey(existing);
        GTEST_SKIP() << "the prefix already has InterVideo keys";
    }
    {
        RegistryValue a("Software\\InterVideo\\WinDVD10", "PATH", "C:\\d");
        RegistryValue b("Software\\InterVideo\\WinDVD8", "PATH", "C:\\e");
        EXPECT_EQ("C:\\e", vx::players::windvd_folder()) << "alphabetical, not numeric";
        RegistryValue c("Software\\InterVideo\\DVD4", "PATH", "C:\\a");
        RegistryValue d("Software\\InterVideo\\DVD7", "PATH", "C:\\b");
        EXPECT_EQ("C:\\b", vx::players::windvd_folder());
    }
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\InterVideo");
    EXPECT_EQ("", vx::players::windvd_folder());
}

TEST_F(CdKeys, MediaPlayerIsStartedOnTheAudioCdAndTheNextPlayPauseIsSwallowed)
{
    const std::string program = vxtest::program_folder() + "player_stand_in.exe";
    const std::string log = program + ".log";
    DeleteFileA(log.c_str());
    RegistryValue path("Software\\Microsoft\\Multimedia\\WMPlayer", "Player.Path", program);
    disc({"Track01.cda"});
    cd.real_sleep_ms = 1000; // the real poll interval: robust on a loaded machine

    CD_Play();
    HWND player = FindWindowA("WMPlayerApp", nullptr);
    ASSERT_NE(nullptr, player) << "the stand-in player did not start";
    EXPECT_NE(std::string::npos, read_log(log).find("start /device:AudioCD"));
    EXPECT_TRUE(vx::players::just_launched());

    auto commands = [&] {
        const std::string text = read_log(log);
        std::size_t n = 0;
        for (std::size_t at = text.find("appcommand 14"); at != std::string::npos; at = text.find("appcommand 14", at + 1))
            ++n;
        return n;
    };
    const std::size_t after_start = commands();
    CD_PlayPause();
    EXPECT_EQ(after_start, commands()) << "the first play/pause after the start";
    CD_PlayPause();
    EXPECT_EQ(after_start + 1, commands());
    EXPECT_TRUE(cd.mci.commands.empty() || cd.mci.count("play") == 0);

    close_player(player);
}

TEST_F(CdKeys, MediamaticsPlayerGetsItsMessageNumbers)
{
    RegistryValue version("Software\\Mediamatics\\DVD Express", "Version", "2.0");
    RegistryValue cls("Software\\Mediamatics\\DVD Express\\Mediamatics DVD Player\\Publish", "ClassName", "VxMediamaticsTest");
    disc({"video_ts\\vts_01_0.ifo"});
    PlayerWindow player("VxMediamaticsTest");
    CD_Play();
    CD_PrevTrack();
    CD_PlayPause();
    ASSERT_EQ(3u, g_received.size());
    EXPECT_EQ(7033u, g_received[0].message);
    EXPECT_EQ(7035u, g_received[1].message);
    EXPECT_EQ(7036u, g_received[2].message);
    EXPECT_EQ(0, CD_IsPlaying());
}

TEST_F(CdKeys, MediaPlayer2GetsKeystrokes)
{
    RegistryValue path("Software\\Microsoft\\Multimedia\\MPlayer2", "Player.Path", "C:\\nowhere\\mplayer2.exe");
    disc({"vcd\\info.vcd"});
    PlayerWindow player("Media Player 2");
    CD_PlayPause();
    CD_NextTrack();
    CD_Stop();
    EXPECT_EQ((std::vector<BYTE>{VK_SPACE, VK_NEXT, 'S'}), g_keys);
    EXPECT_TRUE(g_received.empty());
}

TEST_F(CdKeys, KeystrokesAreTypedOnlyIntoAPlayerInFront)
{
    RegistryValue path("Software\\Microsoft\\Multimedia\\MPlayer2", "Player.Path", "C:\\nowhere\\mplayer2.exe");
    disc({"vcd\\info.vcd"});
    PlayerWindow document("VxUsersDocument");
    PlayerWindow player("Media Player 2");
    ShowWindow(player.window, SW_SHOW);
    ShowWindow(document.window, SW_SHOW);
    g_foreground_refused_for = document.window;
    EXPECT_EQ(0, CD_PlayPause()) << "a key that did nothing is not handled";
    EXPECT_EQ(0, CD_Stop());
    g_foreground_refused_for = nullptr;
    EXPECT_TRUE(g_keys.empty()) << "keys typed into the user's document";
    EXPECT_EQ(0, CD_IsPlaying()) << "a key that did nothing leaves the play flag";
    EXPECT_TRUE(g_boxes.empty()) << "the player was there: no other player, no message";
}

TEST_F(CdKeys, HungPlayerHoldsAKeyForAboutASecond)
{
    disc({"Track01.cda"});
    std::string command = "\"" + vxtest::program_folder() + "player_stand_in.exe\" /hang";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION hung{};
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &hung));
    const HWND player = started_player();
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(1, CD_NextTrack());
    EXPECT_EQ(1, CD_Stop());
    EXPECT_EQ(0, SendAppCommand(player, APPCOMMAND_MEDIA_NEXTTRACK)) << "no answer from a hung window";
    const ULONGLONG elapsed = GetTickCount64() - start;
    TerminateProcess(hung.hProcess, 0);
    WaitForSingleObject(hung.hProcess, 5000);
    CloseHandle(hung.hProcess);
    CloseHandle(hung.hThread);
    EXPECT_LT(elapsed, 6000u) << "two keys and an app command to a player that never answers";
}

TEST_F(CdKeys, DvdPlayerIsStartedForPlayAndThenDrivenByKeys)
{
    const std::string program = vxtest::program_folder() + "player_stand_in.exe";
    RegistryValue path("Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\DVDPlayer.exe", "", program);
    disc({"video_ts\\vts_01_0.ifo"});
    cd.real_sleep_ms = 1000; // the real poll interval: robust on a loaded machine

    CD_Stop();
    EXPECT_EQ(nullptr, FindWindowA("WMPlayerApp", nullptr)) << "not started for stop";
    ASSERT_EQ(1u, g_boxes.size()) << "no player could take stop";

    CD_Play();
    HWND player = FindWindowA("WMPlayerApp", nullptr);
    ASSERT_NE(nullptr, player);
    EXPECT_TRUE(g_keys.empty()) << "the started player plays on its own";
    EXPECT_EQ(1, CD_IsPlaying());
    EXPECT_EQ(1u, g_boxes.size());

    CD_NextTrack();
    CD_PlayPause();
    EXPECT_EQ((std::vector<BYTE>{VK_NEXT, 'P'}), g_keys);
    EXPECT_EQ(0, CD_IsPlaying());
    EXPECT_EQ(player, vx::players::active_player());

    close_player(player);
}

TEST_F(CdKeys, LaunchCdPlayerStartsTheMediaPlayerButNoCdPlayerFromTheCurrentFolder)
{
    disc({"video_ts\\vts_01_0.ifo"});
    EXPECT_EQ(0, LaunchCDPlayer()) << "a DVD needs a video player, and none is installed";
    fs::remove_all(base);
    disc({"Track01.cda"});
    const std::string stand_in = vxtest::program_folder() + "player_stand_in.exe";
    // A program named like the old CD player in the host's current folder.
    const fs::path trap = base / "cwd";
    fs::create_directories(trap);
    ASSERT_TRUE(CopyFileA(stand_in.c_str(), (trap / "cdplayer.exe").string().c_str(), FALSE));
    char saved[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, saved);
    SetCurrentDirectoryA(trap.string().c_str());
    EXPECT_EQ(0, LaunchCDPlayer()) << "this system has no CD player";
    SetCurrentDirectoryA(saved);
    Sleep(500);
    EXPECT_EQ(nullptr, FindWindowA("WMPlayerApp", nullptr)) << "the copy in the current folder was started";

    RegistryValue path("Software\\Microsoft\\Multimedia\\WMPlayer", "Player.Path", stand_in);
    EXPECT_EQ(1, LaunchCDPlayer());
    const HWND player = started_player();
    ASSERT_NE(nullptr, player);
    close_player(player);

}

TEST_F(CdKeys, PlayerRegisteredInTheOtherRegistryViewIsStartedToo)
{
    // A player of the other architecture registers in its own view of
    // HKLM\Software (a 64-bit player is not seen by a 32-bit host otherwise).
#if defined(_WIN64)
    const REGSAM other_view = KEY_WOW64_32KEY;
#else
    const REGSAM other_view = KEY_WOW64_64KEY;
#endif
    const std::string stand_in = vxtest::program_folder() + "player_stand_in.exe";
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Multimedia\\WMPlayer", 0,
                                             nullptr, 0, KEY_ALL_ACCESS | other_view, nullptr, &key, nullptr));
    RegSetValueExA(key, "Player.Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(stand_in.c_str()),
                   static_cast<DWORD>(stand_in.size() + 1));
    disc({"Track01.cda"});
    EXPECT_EQ(1, LaunchCDPlayer());
    RegDeleteValueA(key, "Player.Path");
    RegCloseKey(key);
    const HWND player = started_player();
    ASSERT_NE(nullptr, player);
    close_player(player);
}

TEST_F(CdKeys, WinDvdIsStartedFromItsRegisteredFolderAndGetsCommandIds)
{
    HKEY existing;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\InterVideo", 0, KEY_READ, &existing) == ERROR_SUCCESS) {
        RegCloseKey(existing);
        GTEST_SKIP() << "the prefix already has InterVideo keys";
    }
    const fs::path folder = base / "WinDVD";
    fs::create_directories(folder);
    const std::string program = (folder / "WinDVD.exe").string();
    ASSERT_TRUE(CopyFileA((vxtest::program_folder() + "player_stand_in.exe").c_str(), program.c_str(), FALSE));
    {
        RegistryValue path("Software\\InterVideo\\DVD6", "PATH", folder.string());
        disc({"video_ts\\vts_01_0.ifo"});
        cd.real_sleep_ms = 1000; // the real poll interval: robust on a loaded machine
        CD_Play();
        HWND player = FindWindowA("WMPlayerApp", nullptr);
        ASSERT_NE(nullptr, player) << "WinDVD was not started";
        CD_NextTrack();
        CD_Stop();
        // Commands are posted; give the player a moment to log them.
        for (int i = 0; i < 20 && read_log(program + ".log").find("command 32773") == std::string::npos; ++i)
            Sleep(100);
        const std::string log = read_log(program + ".log");
        EXPECT_NE(std::string::npos, log.find("command 32772\ncommand 32778\ncommand 32773")) << log;
        EXPECT_TRUE(g_boxes.empty());
        close_player(player);
    }
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\InterVideo");
}
