// What the audio-CD and DVD/VCD player tables share: the players' state, the
// play flag's rules, the registry look-ups that name installed players, and
// starting a player and waiting for its window.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "buttons/cd/media_players.h"
#include "platform/system_seam.h"

namespace vx::players {

struct PlayerState {
    HWND active = nullptr;
    HWND dvd_player = nullptr;
    bool just_launched = false;
};
PlayerState& state();

// The play flag of disc detection, which the CD keys update as well.
int& play_flag();
// Play/pause becomes play or pause by the play flag, which turns over.
std::uint32_t resolve_play_pause(std::uint32_t code);
// Play sets the flag; pause and stop clear it.
void note_flag(std::uint32_t code);

// Registry keys of the players.
inline constexpr char kAppPathsDvdPlayer[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\DVDPlayer.exe";
inline constexpr char kMediamatics[] = "Software\\Mediamatics\\DVD Express";
inline constexpr char kMediamaticsPublish[] = "Software\\Mediamatics\\DVD Express\\Mediamatics DVD Player\\Publish";
inline constexpr char kIfoOpenCommand[] = "IFO_auto_file\\shell\\open\\command";
inline constexpr char kPowerDvd[] = "Software\\CyberLink\\PowerDVD";
inline constexpr char kWmPlayer[] = "Software\\Microsoft\\Multimedia\\WMPlayer";
inline constexpr char kMPlayer2[] = "Software\\Microsoft\\Multimedia\\MPlayer2";

// A registry text of at most MAX_PATH - 1 characters, in this process's
// registry view or else the other one; "" when it is missing.
std::string registry_text(HKEY root, const char* key, const char* name);
bool value_exists(HKEY root, const char* key, const char* name);
// The program of the command that opens DVD folders (".IFO" files); "" when
// none is registered.
std::string ifo_open_program();

bool file_exists(const std::string& path);
// Starts `path` through the shell; false for an empty path or a failed start.
bool launch(const std::string& path, const char* parameters = nullptr);

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

// Starts `program` and polls for its window with `find`; null when it cannot
// be started or shows no window in time.
template <class Find>
HWND start_and_wait(const std::string& program, int seconds, Find find)
{
    return launch(program) ? wait_for_window(seconds, find) : nullptr;
}

// How long a key waits for a player to take a sent message. Players belong
// to other processes; one busy spinning up a disc must not freeze the keys.
inline constexpr UINT kPlayerReplyMs = 1000;

// Sends a message to a player window and waits at most kPlayerReplyMs (less
// when the player is known to be hung); false when it did not answer.
bool send_to_player(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Keystrokes go to the foreground window: true when that is `window` or a
// window it owns (ActivateWindow brings a player's open dialog forward).
bool is_foreground(HWND window);

// A key pressed and released, as the player's keyboard would send it.
void key_press(BYTE key);

} // namespace vx::players
