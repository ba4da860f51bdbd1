// Driving media players for the CD keys: the audio-CD player table
// (audio_cd_players.cpp) and the DVD/VCD player table (video_players.cpp),
// each player found by its window class or program path and driven by its
// own messages or keystrokes.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace vx::players {

inline constexpr std::uint32_t kPlay = 0xB0;
inline constexpr std::uint32_t kPause = 0xB1;
inline constexpr std::uint32_t kNext = 0xB5;
inline constexpr std::uint32_t kPrevious = 0xB6;
inline constexpr std::uint32_t kStop = 0xB7;
inline constexpr std::uint32_t kPlayPause = 0xCD;

// Seconds between polls for a starting player's window.
inline constexpr DWORD kPollMs = 1000;

// 1 when an audio-CD player took the command.
int drive_audio_players(std::uint32_t code);
// 1 when a DVD/VCD player took the command, -1 when the player that would
// take keystrokes could not be brought in front (the key did nothing), 0 when
// no player was found.
int drive_video_players(std::uint32_t code);

// The folder of the newest WinDVD registered under HKLM "Software\InterVideo"
// ("" when none).
std::string windvd_folder();

// The player window last driven (null when none); the just-launched flag.
HWND active_player();
bool just_launched();
void reset_for_tests();

} // namespace vx::players
