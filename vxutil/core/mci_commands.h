// Texts of the audio-CD MCI commands and the reading of their replies.
// Every command is built into the 256-character buffer that MCI is given; a
// command that would not fit is not built at all, so a too-long drive
// argument fails cleanly instead of opening a truncated device name.
// Portable: no Windows header.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vx::mci {

inline constexpr std::size_t kCommandCapacity = 256; // characters incl. NUL
inline constexpr std::size_t kDriveCapacity = 260;

inline constexpr char kAlias[] = "vxbcd";
inline constexpr char kProbeAlias[] = "vxbcdx";

// "prefix" + argument + "suffix", or nothing when it needs more than 255
// characters.
std::optional<std::string> command(std::string_view prefix, std::string_view argument, std::string_view suffix = {});

// The drive text as the open command names it: cut to 259 characters and,
// when `drop_backslash` (Windows NT other than 2000), one trailing backslash
// removed.
std::string drive_for_open(std::string_view drive, bool drop_backslash);

// "open <drive> type cdaudio alias <alias> shareable", or
// "open cdaudio alias <alias> shareable" without a drive.
std::optional<std::string> open_command(const char* drive, std::string_view alias);

// Case-insensitive comparison of an MCI reply ("playing", "audio").
bool reply_is(std::string_view reply, std::string_view word);

// The track that "previous track" plays from a TMSF position text
// "tt:mm:ss:ff": one back when the seconds field is below 3, else the
// current one. Fields are read like atoi (a missing field counts 0).
int previous_track_target(std::string_view position);

// Leading decimal number of an MCI reply, 0 when there is none.
int reply_number(std::string_view reply);

} // namespace vx::mci
