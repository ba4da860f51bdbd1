// The players a DVD or Video CD goes to, tried in a fixed order: the first
// one found running, or started and found within its wait, takes the key.
// Also LaunchVideoPlayer and ActivePlayer.
#include "buttons/cd/media_players.h"
#include "buttons/cd/player_support.h"
#include "export_guard.h"
#include "vxutil.h"

namespace vx::players {
namespace {

constexpr char kInterVideo[] = "Software\\InterVideo";

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

// Drives a found player window: remembers it, activates it, resolves
// play/pause by the flag, sends the command and updates the flag. Keystrokes
// are typed only when the player really is in front: Windows may refuse a
// background host the foreground, and the keys would land in whatever
// window the user works in. The key then does nothing and reports -1: the
// player took it (no other player is tried, no message shown), but the key
// was not handled.
int drive_window(HWND window, std::uint32_t code, Send how, const Commands& commands)
{
    state().active = window;
    ActivateWindow(window);
    if (how == Send::Keys && !is_foreground(window))
        return -1;
    code = resolve_play_pause(code);
    const UINT command = commands.of(code);
    switch (how) {
    case Send::Keys:
        key_press(static_cast<BYTE>(command));
        break;
    case Send::SendMessageNumber:
        send_to_player(window, command, 0, 0);
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
        if (code != kPlay && code != kPlayPause)
            return 0;
        // The player starts playing the disc by itself: no key is sent.
        cached = start_and_wait(path, 30, [&] { return FindWindowByPath(path.c_str()); });
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
        const std::string program = ifo_open_program();
        window = start_and_wait(program, 5, [&] { return FindWindowByPath(program.c_str()); });
    }
    return window ? drive_window(window, code, Send::SendMessageNumber, kMediamaticsMessages) : 0;
}

int windvd_player(std::uint32_t code)
{
    const std::string folder = windvd_folder();
    if (folder.empty())
        return 0;
    const std::string path = folder + "\\WinDVD.exe";
    auto find = [&] { return FindWindowByPath(path.c_str()); };
    HWND window = find();
    if (!window)
        window = start_and_wait(path, 8, find);
    return window ? drive_window(window, code, Send::PostCommand, kWinDvdIds) : 0;
}

int cyberlink_player(std::uint32_t code)
{
    auto find = [] { return FindWindowA("Class of CyberLink Universal Player", "CyberLink Universal Player"); };
    HWND window = find();
    if (!window) {
        const std::string folder = registry_text(HKEY_LOCAL_MACHINE, kPowerDvd, "InstallDir");
        if (!folder.empty())
            window = start_and_wait(folder + "\\PowerDVD.exe", 10, find);
    }
    return window ? drive_window(window, code, Send::PostMessageNumber, kCyberLinkMessages) : 0;
}

int media_player2(std::uint32_t code)
{
    const std::string path = registry_text(HKEY_LOCAL_MACHINE, kMPlayer2, "Player.Path");
    if (path.empty())
        return 0;
    auto find = [] { return FindWindowA("Media Player 2", nullptr); };
    HWND window = find();
    if (!window)
        window = start_and_wait(path, 10, find);
    return window ? drive_window(window, code, Send::Keys, kMediaPlayer2Keys) : 0;
}

bool starts_with(const char* text, const char* prefix) { return std::string_view(text).rfind(prefix, 0) == 0; }

} // namespace

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

int drive_video_players(std::uint32_t code)
{
    // The optional media-control module is never shipped, so there is no
    // fallback after the last player.
    for (auto player : {dvd_player, mediamatics_player, windvd_player, cyberlink_player, media_player2}) {
        if (const int taken = player(code))
            return taken;
    }
    return 0;
}

} // namespace vx::players

using namespace vx::players;

extern "C" int WINAPI LaunchVideoPlayer(void)
{
    return vx::guarded<int>(0, [&]() -> int {
        auto try_start = [](const std::string& path) { return file_exists(path) && launch(path); };
        if (try_start(registry_text(HKEY_LOCAL_MACHINE, kAppPathsDvdPlayer, "")))
            return 1;
        if (value_exists(HKEY_LOCAL_MACHINE, kMediamatics, "Version") && try_start(ifo_open_program()))
            return 1;
        const std::string windvd = windvd_folder();
        if (!windvd.empty() && try_start(windvd + "\\WinDVD.exe"))
            return 1;
        const std::string powerdvd = registry_text(HKEY_LOCAL_MACHINE, kPowerDvd, "InstallDir");
        if (!powerdvd.empty() && try_start(powerdvd + "\\PowerDVD.exe"))
            return 1;
        if (try_start(registry_text(HKEY_LOCAL_MACHINE, kWmPlayer, "Player.Path")))
            return 1;
        return try_start(registry_text(HKEY_LOCAL_MACHINE, kMPlayer2, "Player.Path")) ? 1 : 0;
    });
}

extern "C" int WINAPI ActivePlayer(void)
{
    HWND& active = state().active;
    if (active && IsWindow(active))
        return ActivateWindow(active);
    active = nullptr;
    return 0;
}
