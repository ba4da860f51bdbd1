// CD_* exports, LaunchCDPlayer and OpenAutoRunCD.
#include "buttons/cd/cd_buttons.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "buttons/cd/audio_cd.h"
#include "buttons/cd/disc_detection.h"
#include "buttons/cd/media_players.h"
#include "platform/dialog_seam.h"
#include "services/com_scope.h"
#include "services/profile_store.h"
#include "services/resource_strings.h"
#include "services/system_modules.h"
#include "export_guard.h"
#include "vxutil.h"

namespace vx::cd_buttons {
namespace {

bool g_message_open = false;

bool is_media_command(std::uint32_t code)
{
    using namespace vx::players;
    return code == kPlay || code == kPause || code == kNext || code == kPrevious || code == kStop ||
           code == kPlayPause;
}

void audio_cd(std::uint32_t code, const std::string& root)
{
    using namespace vx::players;
    if (drive_audio_players(code))
        return;
    int& flag = vx::disc::play_state().flag;
    if (code == kPlayPause)
        code = flag ? kPause : kPlay;
    vx::audio_cd::dispatch(code, root.c_str());
    if (code == kPlay)
        flag = 1;
    else if (code == kPause || code == kStop)
        flag = 0;
}

} // namespace

void show_message(unsigned id)
{
    auto& dialogs = platform::dialogs();
    if (g_message_open) {
        dialogs.MessageBeep(MB_ICONASTERISK);
        return;
    }
    char caption[MAX_PATH] = {};
    char text[512] = {};
    vx::load_string(kCaption, caption, sizeof caption);
    vx::load_string(id, text, sizeof text);
    g_message_open = true;
    dialogs.MessageBoxA(nullptr, text, caption, MB_SYSTEMMODAL | MB_ICONINFORMATION);
    g_message_open = false;
}

int dispatch(std::uint32_t code)
{
    using namespace vx::players;
    if (!is_media_command(code))
        return 0;
    const vx::disc::Choice choice = vx::disc::choose_drive();
    switch (choice.kind) {
    case vx::disc::kNoDisc:
        show_message(kNoDisc);
        break;
    case vx::disc::kDataDisc:
        show_message(kSoftwareDisc);
        break;
    case vx::disc::kNoDrive:
        // Nothing here can play: the key is left to the host, which may pass
        // it on to Windows and so to the user's own media player.
        return 0;
    case vx::disc::kSoftwareCd:
        if (code == kPlay || code == kPlayPause)
            OpenAutoRunCD(choice.root.c_str());
        else
            show_message(kNotForSoftware);
        break;
    case vx::disc::kDvdVideo:
    case vx::disc::kVideoCd: {
        const int taken = drive_video_players(code);
        if (!taken)
            show_message(kNoVideoPlayer);
        // A player that Windows would not bring in front got no keystroke:
        // the key was not handled, so a host may pass it on.
        if (taken < 0)
            return 0;
        break;
    }
    case vx::disc::kAudioCd:
        audio_cd(code, choice.root);
        break;
    default:
        break;
    }
    return 1;
}

} // namespace vx::cd_buttons

namespace {

// A CD key; each returns 1, also when its work ran out of memory, except
// without any CD-ROM drive and when the player that takes keystrokes could
// not be brought in front.
int press(std::uint32_t code)
{
    return vx::guarded(1, [code] { return vx::cd_buttons::dispatch(code); });
}

} // namespace

extern "C" int WINAPI CD_Play(void) { return press(vx::players::kPlay); }
extern "C" int WINAPI CD_Pause(void) { return press(vx::players::kPause); }
extern "C" int WINAPI CD_PlayPause(void) { return press(vx::players::kPlayPause); }
extern "C" int WINAPI CD_Stop(void) { return press(vx::players::kStop); }
extern "C" int WINAPI CD_NextTrack(void) { return press(vx::players::kNext); }
extern "C" int WINAPI CD_PrevTrack(void) { return press(vx::players::kPrevious); }

extern "C" int WINAPI LaunchCDPlayer(void)
{
    return vx::guarded<int>(0, [&]() -> int {
        const vx::disc::Choice choice = vx::disc::choose_drive();
        switch (choice.kind) {
        case vx::disc::kDvdVideo:
        case vx::disc::kVideoCd:
            return LaunchVideoPlayer();
        case vx::disc::kSoftwareCd:
        case vx::disc::kDataDisc:
            return LaunchProgram(choice.root.c_str(), nullptr, nullptr, nullptr);
        default:
            break;
        }
        char player[MAX_PATH] = {};
        vx::profile::read_text_any_view(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Multimedia\\WMPlayer",
                                        "Player.Path", player, sizeof player);
        if (player[0] && FileExisted(player))
            return LaunchProgram(player, nullptr, nullptr, nullptr) ? 1 : 0;
        // The old CD player is named by its full path in the system folder: a
        // bare "cdplayer.exe" would be looked up in the host's current folder
        // and search path first, where any program of that name could wait.
        const std::string cd_player = vx::system_folder_file("cdplayer.exe");
        return !cd_player.empty() && LaunchProgram(cd_player.c_str(), nullptr, nullptr, nullptr) ? 1 : 0;
    });
}

namespace {

// Runs the AutoRun verb of the drive `root` through its context menu in the
// Computer folder.
void invoke_autorun(const char* root)
{
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)))
        return;
    LPITEMIDLIST drives = nullptr;
    IShellFolder* computer = nullptr;
    LPITEMIDLIST item = nullptr;
    IContextMenu* menu = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &drives)) &&
        SUCCEEDED(desktop->BindToObject(drives, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&computer)))) {
        wchar_t wide[MAX_PATH] = {};
        if (MultiByteToWideChar(CP_ACP, 0, root, -1, wide, MAX_PATH) > 0 &&
            SUCCEEDED(computer->ParseDisplayName(nullptr, nullptr, wide, nullptr, &item, nullptr)) &&
            SUCCEEDED(computer->GetUIObjectOf(nullptr, 1, const_cast<LPCITEMIDLIST*>(&item), IID_IContextMenu,
                                              nullptr, reinterpret_cast<void**>(&menu)))) {
            if (HMENU popup = CreatePopupMenu()) {
                if (SUCCEEDED(menu->QueryContextMenu(popup, 0, 1, 0x7FFF, CMF_DEFAULTONLY))) {
                    CMINVOKECOMMANDINFO info{};
                    info.cbSize = sizeof info;
                    info.fMask = CMIC_MASK_NOASYNC; // the shell call's thread may end right after
                    info.lpVerb = "AutoRun";
                    info.nShow = SW_SHOWNORMAL;
                    menu->InvokeCommand(&info);
                }
                DestroyMenu(popup);
            }
        }
    }
    if (menu)
        menu->Release();
    if (item)
        CoTaskMemFree(item);
    if (computer)
        computer->Release();
    if (drives)
        CoTaskMemFree(drives);
    desktop->Release();
}

} // namespace

extern "C" int WINAPI OpenAutoRunCD(const char* root)
{
    if (!root)
        return 1;
    vx::with_com([root] {
        invoke_autorun(root);
        return 0;
    });
    return 1;
}
