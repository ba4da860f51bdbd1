// The players an audio CD goes to, in order: a running WinDVD is only
// brought forward; the Windows Media Player (started on the disc when it is
// not running) gets application commands; the older media player and CD
// player get their menu commands. Without any of them the CD keys fall back
// to MCI (in cd_buttons.cpp).
#include "buttons/cd/media_players.h"
#include "buttons/cd/player_support.h"
#include "services/system_modules.h"
#include "vxutil.h"

namespace vx::players {
namespace {

constexpr WPARAM kAppPlayPause = 14; // APPCOMMAND_MEDIA_PLAY_PAUSE
constexpr WPARAM kAppNext = 11;      // APPCOMMAND_MEDIA_NEXTTRACK
constexpr WPARAM kAppPrevious = 12;  // APPCOMMAND_MEDIA_PREVIOUSTRACK
constexpr WPARAM kAppStop = 13;      // APPCOMMAND_MEDIA_STOP

void app_command(HWND window, WPARAM command)
{
    send_to_player(window, WM_APPCOMMAND, reinterpret_cast<WPARAM>(window), static_cast<LPARAM>(command << 16));
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
    send_to_player(window, WM_COMMAND, static_cast<WPARAM>(key), 0);
}

// Starts the Windows Media Player on the audio CD and waits for its window.
HWND start_media_player()
{
    const std::string path = registry_text(HKEY_LOCAL_MACHINE, kWmPlayer, "Player.Path");
    if (!file_exists(path) || !launch(path, "/device:AudioCD"))
        return nullptr;
    HWND window = wait_for_window(10, [] { return FindWindowA("WMPlayerApp", nullptr); });
    if (window) {
        play_flag() = 1;
        state().just_launched = true;
    }
    return window;
}

void drive_cd_player(HWND window, std::uint32_t code)
{
    code = resolve_play_pause(code);
    note_flag(code);
    const WPARAM id = code == kPlay       ? 1000
                      : code == kPause    ? 1001
                      : code == kNext     ? 1006
                      : code == kPrevious ? 1003
                                          : 1002;
    send_to_player(window, WM_COMMAND, id, 0);
}

} // namespace

int drive_audio_players(std::uint32_t code)
{
    if (HWND windvd = FindWindowA("WinDVDClass", nullptr)) {
        ShowWindow(windvd, SW_SHOWNORMAL);
        SetForegroundWindow(windvd);
        return 1;
    }
    HWND media_player = FindWindowA("WMPlayerApp", nullptr);
    if (!media_player && code != kPause && code != kStop)
        media_player = start_media_player();
    if (media_player) {
        drive_media_player(media_player, code);
        return 1;
    }
    if (HWND old_player = FindWindowA("MMFRAME_MAIN", nullptr)) {
        drive_old_media_player(old_player, code);
        return 1;
    }
    if (code != kPause && code != kStop) {
        const std::string cd_player = vx::system_folder_file("CDPLAYER.EXE");
        if (file_exists(cd_player))
            launch(cd_player);
    }
    if (HWND cd_player = FindWindowA("SJE_CdPlayerClass", nullptr)) {
        drive_cd_player(cd_player, code);
        return 1;
    }
    return 0;
}

} // namespace vx::players
