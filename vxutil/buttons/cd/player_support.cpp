#include "buttons/cd/player_support.h"

#include "buttons/cd/disc_detection.h"
#include "platform/input_seam.h"
#include "services/profile_store.h"
#include "vxutil.h"

namespace vx::players {

PlayerState& state()
{
    static PlayerState s;
    return s;
}

int& play_flag() { return vx::disc::play_state().flag; }

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

std::string registry_text(HKEY root, const char* key, const char* name)
{
    char text[MAX_PATH] = {};
    if (!vx::profile::read_text_any_view(root, key, name, text, sizeof text))
        return {};
    return text;
}

bool value_exists(HKEY root, const char* key, const char* name)
{
    char text[MAX_PATH] = {};
    return vx::profile::read_text_any_view(root, key, name, text, sizeof text) != 0;
}

std::string ifo_open_program()
{
    const std::string command = registry_text(HKEY_CLASSES_ROOT, kIfoOpenCommand, "");
    char program[MAX_PATH] = {};
    char arguments[MAX_PATH] = {};
    if (command.empty() || !ParseShellCommand(command.c_str(), program, arguments))
        return {};
    return program;
}

bool file_exists(const std::string& path) { return !path.empty() && FileExisted(path.c_str()); }

bool launch(const std::string& path, const char* parameters)
{
    return !path.empty() && LaunchProgram(path.c_str(), parameters, nullptr, nullptr) != 0;
}

bool send_to_player(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, message, wparam, lparam, SMTO_NORMAL | SMTO_ABORTIFHUNG, kPlayerReplyMs,
                               &result) != 0;
}

bool is_foreground(HWND window)
{
    const HWND foreground = GetForegroundWindow();
    return foreground && (foreground == window || GetAncestor(foreground, GA_ROOTOWNER) == window);
}

void key_press(BYTE key)
{
    platform::input().keybd_event(key, 0, 0, 0);
    platform::input().keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
}

HWND active_player() { return state().active; }
bool just_launched() { return state().just_launched; }
void reset_for_tests() { state() = PlayerState{}; }

} // namespace vx::players
