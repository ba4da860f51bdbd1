// The players the CD keys drive, tried in a fixed order. Audio CDs go to a
// running or freshly started Windows Media Player, the older CD players, or
// fall back to MCI (in cd_buttons.cpp); DVDs and Video CDs go to the first
// installed DVD player found.
#include "buttons/cd/media_players.h"

#include <vector>

#include "buttons/cd/disc_detection.h"
#include "platform/input_seam.h"
#include "platform/system_seam.h"
#include "core/text_fields.h"
#include "vxutil.h"

namespace vx::players {
namespace {

constexpr char kAppPathsDvdPlayer[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\DVDPlayer.exe";
constexpr char kMediamatics[] = "Software\\Mediamatics\\DVD Express";
constexpr char kMediamaticsPublish[] = "Software\\Mediamatics\\DVD Express\\Mediamatics DVD Player\\Publish";
constexpr char kIfoOpenCommand[] = "IFO_auto_file\\shell\\open\\command";
constexpr char kInterVideo[] = "Software\\InterVideo";
constexpr char kPowerDvd[] = "Software\\CyberLink\\PowerDVD";
constexpr char kWmPlayer[] = "Software\\Microsoft\\Multimedia\\WMPlayer";
constexpr char kMPlayer2[] = "Software\\Microsoft\\Multimedia\\MPlayer2";

constexpr WPARAM kAppPlayPause = 14; // APPCOMMAND_MEDIA_PLAY_PAUSE
constexpr WPARAM kAppNext = 11;      // APPCOMMAND_MEDIA_NEXTTRACK
constexpr WPARAM kAppPrevious = 12;  // APPCOMMAND_MEDIA_PREVIOUSTRACK
constexpr WPARAM kAppStop = 13;      // APPCOMMAND_MEDIA_STOP

struct PlayerState {
    HWND active = nullptr;
    HWND dvd_player = nullptr;
    bool just_launched = false;
};

PlayerState& state()
{
    static PlayerState s;
    return s;
}

int& play_flag() { return vx::disc::play_state().flag; }

std::string registry_text(HKEY root, const char* key, const char* name)
{
    char text[MAX_PATH] = {};
    if (!Reg_GetValueString(root, key, name, text, sizeof text))
        return {};
    return text;
}

bool value_exists(HKEY root, const char* key, const char* name)
{
    char text[MAX_PATH] = {};
    return Reg_GetValueString(root, key, name, text, sizeof text) != 0;
}

bool file_exists(const std::string& path) { return !path.empty() && FileExisted(path.c_str()); }

bool launch(const std::string& path, const char* parameters = nullptr)
{
    return !path.empty() && LaunchProgram(path.c_str(), parameters, nullptr, nullptr) != 0;
}

// Polls once a second for up to `seconds` for the window `find` returns.
template <class Find>
HWND wait_for_window(int seconds, Find find)
{
    for (int i = 0; i < seconds; ++i) {
        platform::os().Sleep(kPollMs);
        if (HWND w = find())
            return w;
    }
    return nullptr;
}

void app_command(HWND window, WPARAM command)
{
    SendMessageA(window, WM_APPCOMMAND, reinterpret_cast<WPARAM>(window), static_cast<LPARAM>(command << 16));
}

void key_press(BYTE key)
{
    platform::input().keybd_event(key, 0, 0, 0);
    platform::input().keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
}

// Play and pause refresh the play flag first and do nothing when the
// player is already in the wanted state; true when the command is to be sent.
bool wanted(std::uint32_t code)
{
    if (code != kPlay && code != kPause)
        return true;
    CD_CheckPlayPauseStatus();
    return code == kPlay ? play_flag() == 0 : play_flag() != 0;
}

void send_app_command(HWND window, std::uint32_t code)
{
    switch (code) {
    case kPlay:
    case kPause:
    case kPlayPause:
        app_command(window, kAppPlayPause);
        break;
    case kNext:
        app_command(window, kAppNext);
        break;
    case kPrevious:
        app_command(window, kAppPrevious);
        break;
    case kStop:
        app_command(window, kAppStop);
        break;
    default:
        break;
    }
}

void drive_media_player(HWND window, std::uint32_t code)
{
    if (code == kPlayPause && state().just_launched) {
        // The player just started on the disc and plays it on its own.
        state().just_launched = false;
        return;
    }
    if (!wanted(code))
        return;
    if (code == kStop)
        play_flag() = 0;
    send_app_command(window, code);
}

void drive_old_media_player(HWND window, std::uint32_t code)
{
    if (IsWin2000()) {
        if (!wanted(code))
            return;
        if (code == kStop)
            play_flag() = 0;
        send_app_command(window, code);
        return;
    }
    char key = 'h';
    switch (code) {
    case kPlay:
        play_flag() = 1;
        break;
    case kPause:
    case kStop:
        play_flag() = 0;
        key = code == kStop ? 'i' : 'h';
        break;
    case kNext:
        key = 'n';
        break;
    case kPrevious:
        key = 'm';
        break;
    default:
        break;
    }
    SendMessageA(window, WM_COMMAND, static_cast<WPARAM>(key), 0);
}

std::string system_cd_player()
{
    char folder[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryA(folder, sizeof folder);
    if (n == 0 || n >= sizeof folder)
        return {};
    return std::string(folder, n) + "\\CDPLAYER.EXE";
}

// Play/pause becomes play or pause by the play flag, which turns over.
std::uint32_t resolve_play_pause(std::uint32_t code)
{
    if (code != kPlayPause)
        return code;
    const std::uint32_t resolved = play_flag() ? kPause : kPlay;
    play_flag() = !play_flag();
    return resolved;
}

void note_flag(std::uint32_t code)
{
    if (code == kPlay)
        play_flag() = 1;
    else if (code == kPause || code == kStop)
        play_flag() = 0;
}

// ---- DVD and Video CD players --------------------------------------------

struct Commands {
    UINT play, pause, next, previous, stop;
    UINT of(std::uint32_t code) const
    {
        switch (code) {
        case kPlay:
            return play;
        case kPause:
            return pause;
        case kNext:
            return next;
        case kPrevious:
            return previous;
        case kStop:
            return stop;
        default:
            return 0;
        }
    }
};

constexpr Commands kDvdPlayerKeys{'P', 'P', VK_NEXT, VK_PRIOR, 'S'};
constexpr Commands kMediamaticsMessages{7033, 7036, 7037, 7035, 7039};
constexpr Commands kWinDvdIds{32772, 32776, 32778, 32777, 32773};
constexpr Commands kCyberLinkMessages{1033, 1035, 1036, 1034, 1031};
constexpr Commands kMediaPlayer2Keys{VK_SPACE, VK_SPACE, VK_NEXT, VK_PRIOR, 'S'};

enum class Send { Keys, SendMessageNumber, PostCommand, PostMessageNumber };

// Drives a found player window: remembers it, resolves play/pause by the
// flag, activates it, sends the command and updates the flag.
int drive_window(HWND window, std::uint32_t code, Send how, const Commands& commands)
{
    state().active = window;
    code = resolve_play_pause(code);
    ActivateWindow(window);
    const UINT command = commands.of(code);
    switch (how) {
    case Send::Keys:
        key_press(static_cast<BYTE>(command));
        break;
    case Send::SendMessageNumber:
        SendMessageA(window, command, 0, 0);
        break;
    case Send::PostCommand:
        PostMessageA(window, WM_COMMAND, command, 0);
        break;
    case Send::PostMessageNumber:
        PostMessageA(window, command, 0, 0);
        break;
    }
    note_flag(code);
    return 1;
}

int dvd_player(std::uint32_t code)
{
    const std::string path = registry_text(HKEY_LOCAL_MACHINE, kAppPathsDvdPlayer, "");
    if (path.empty())
        return 0;
    HWND& cached = state().dvd_player;
    if (cached && !IsWindow(cached))
        cached = nullptr;
    if (!cached)
        cached = FindWindowByPath(path.c_str());
    if (!cached) {
        if ((code != kPlay && code != kPlayPause) || !launch(path))
            return 0;
        // The player starts playing the disc by itself: no key is sent.
        cached = wait_for_window(30, [&] { return FindWindowByPath(path.c_str()); });
        if (!cached)
            return 0;
        state().active = cached;
        play_flag() = 1;
        return 1;
    }
    return drive_window(cached, code, Send::Keys, kDvdPlayerKeys);
}

int mediamatics_player(std::uint32_t code)
{
    if (!value_exists(HKEY_LOCAL_MACHINE, kMediamatics, "Version"))
        return 0;
    const std::string cls = registry_text(HKEY_LOCAL_MACHINE, kMediamaticsPublish, "ClassName");
    const std::string name = registry_text(HKEY_LOCAL_MACHINE, kMediamaticsPublish, "WindowName");
    // With neither a class nor a title any top-level window would match.
    HWND window = (cls.empty() && name.empty())
                      ? nullptr
                      : FindWindowA(cls.empty() ? nullptr : cls.c_str(), name.empty() ? nullptr : name.c_str());
    if (!window) {
        const std::string command = registry_text(HKEY_CLASSES_ROOT, kIfoOpenCommand, "");
        char program[MAX_PATH] = {};
        char arguments[MAX_PATH] = {};
        if (command.empty() || !ParseShellCommand(command.c_str(), program, arguments) || !launch(program))
            return 0;
        window = wait_for_window(5, [&] { return FindWindowByPath(program); });
        if (!window)
            return 0;
    }
    return drive_window(window, code, Send::SendMessageNumber, kMediamaticsMessages);
}

int windvd_player(std::uint32_t code)
{
    const std::string folder = windvd_folder();
    if (folder.empty())
        return 0;
    const std::string path = folder + "\\WinDVD.exe";
    HWND window = FindWindowByPath(path.c_str());
    if (!window) {
        if (!launch(path))
            return 0;
        window = wait_for_window(8, [&] { return FindWindowByPath(path.c_str()); });
        if (!window)
            return 0;
    }
    return drive_window(window, code, Send::PostCommand, kWinDvdIds);
}

int cyberlink_player(std::uint32_t code)
{
    auto find = [] { return FindWindowA("Class of CyberLink Universal Player", "CyberLink Universal Player"); };
    HWND window = find();
    if (!window) {
        const std::string folder = registry_text(HKEY_LOCAL_MACHINE, kPowerDvd, "InstallDir");
        if (folder.empty() || !launch(folder + "\\PowerDVD.exe"))
            return 0;
        window = wait_for_window(10, find);
        if (!window)
            return 0;
    }
    return drive_window(window, code, Send::PostMessageNumber, kCyberLinkMessages);
}

int media_player2(std::uint32_t code)
{
    const std::string path = registry_text(HKEY_LOCAL_MACHINE, kMPlayer2, "Player.Path");
    if (path.empty())
        return 0;
    auto find = [] { return FindWindowA("Media Player 2", nullptr); };
    HWND window = find();
    if (!window) {
        if (!launch(path))
            return 0;
        window = wait_for_window(10, find);
        if (!window)
            return 0;
    }
    return drive_window(window, code, Send::Keys, kMediaPlayer2Keys);
}

bool starts_with(const char* text, const char* prefix) { return std::string_view(text).rfind(prefix, 0) == 0; }

} // namespace

HWND active_player() { return state().active; }
bool just_launched() { return state().just_launched; }
void reset_for_tests() { state() = PlayerState{}; }

std::string windvd_folder()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInterVideo, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return {};
    std::string best_dvd, best_windvd;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (starts_with(name, "DVD")) {
            if (best_dvd.empty() || lstrcmpiA(name, best_dvd.c_str()) > 0)
                best_dvd = name;
        } else if (starts_with(name, "WinDVD")) {
            if (best_windvd.empty() || lstrcmpiA(name, best_windvd.c_str()) > 0)
                best_windvd = name;
        }
    }
    RegCloseKey(key);
    const std::string& chosen = best_dvd.empty() ? best_windvd : best_dvd;
    if (chosen.empty())
        return {};
    const std::string subkey = std::string(kInterVideo) + "\\" + chosen;
    return registry_text(HKEY_LOCAL_MACHINE, subkey.c_str(), "PATH");
}

int drive_audio_players(std::uint32_t code)
{
    if (HWND windvd = FindWindowA("WinDVDClass", nullptr)) {
        ShowWindow(windvd, SW_SHOWNORMAL);
        SetForegroundWindow(windvd);
        return 1;
    }
    HWND media_player = FindWindowA("WMPlayerApp", nullptr);
    if (!media_player && code != kPause && code != kStop) {
        const std::string path = registry_text(HKEY_LOCAL_MACHINE, kWmPlayer, "Player.Path");
        if (file_exists(path) && launch(path, "/device:AudioCD")) {
            media_player = wait_for_window(10, [] { return FindWindowA("WMPlayerApp", nullptr); });
            if (media_player) {
                play_flag() = 1;
                state().just_launched = true;
            }
        }
    }
    if (media_player) {
        drive_media_player(media_player, code);
        return 1;
    }
    if (HWND old_player = FindWindowA("MMFRAME_MAIN", nullptr)) {
        drive_old_media_player(old_player, code);
        return 1;
    }
    if (code != kPause && code != kStop) {
        const std::string cd_player = system_cd_player();
        if (file_exists(cd_player))
            launch(cd_player);
    }
    if (HWND cd_player = FindWindowA("SJE_CdPlayerClass", nullptr)) {
        code = resolve_play_pause(code);
        note_flag(code);
        const WPARAM id = code == kPlay ? 1000 : code == kPause ? 1001 : code == kNext ? 1006 : code == kPrevious ? 1003 : 1002;
        SendMessageA(cd_player, WM_COMMAND, id, 0);
        return 1;
    }
    return 0;
}

int drive_video_players(std::uint32_t code)
{
    // The optional media-control module is never shipped, so there is no
    // fallback after the last player.
    return dvd_player(code) || mediamatics_player(code) || windvd_player(code) || cyberlink_player(code) ||
           media_player2(code);
}

} // namespace vx::players

using namespace vx::players;

extern "C" int WINAPI LaunchVideoPlayer(void)
{
    auto try_start = [](const std::string& path) { return file_exists(path) && launch(path); };
    if (try_start(registry_text(HKEY_LOCAL_MACHINE, kAppPathsDvdPlayer, "")))
        return 1;
    if (value_exists(HKEY_LOCAL_MACHINE, kMediamatics, "Version")) {
        const std::string command = registry_text(HKEY_CLASSES_ROOT, kIfoOpenCommand, "");
        char program[MAX_PATH] = {};
        char arguments[MAX_PATH] = {};
        if (!command.empty() && ParseShellCommand(command.c_str(), program, arguments) && try_start(program))
            return 1;
    }
    const std::string windvd = windvd_folder();
    if (!windvd.empty() && try_start(windvd + "\\WinDVD.exe"))
        return 1;
    const std::string powerdvd = registry_text(HKEY_LOCAL_MACHINE, kPowerDvd, "InstallDir");
    if (!powerdvd.empty() && try_start(powerdvd + "\\PowerDVD.exe"))
        return 1;
    if (try_start(registry_text(HKEY_LOCAL_MACHINE, kWmPlayer, "Player.Path")))
        return 1;
    return try_start(registry_text(HKEY_LOCAL_MACHINE, kMPlayer2, "Player.Path")) ? 1 : 0;
}

extern "C" int WINAPI ActivePlayer(void)
{
    HWND& active = state().active;
    if (active && IsWindow(active))
        return ActivateWindow(active);
    active = nullptr;
    return 0;
}
