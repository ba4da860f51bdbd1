// Strings of the module's string table in the calling thread's language.
#pragma once
#include <windows.h>

#include <string>

namespace vx::osd {

inline constexpr UINT kMuteOnString = 1;
inline constexpr UINT kMuteOffString = 2;
// Announcements; "%d" in the volume ones is the percentage.
inline constexpr UINT kVolumeAnnouncement = 3;
inline constexpr UINT kVolumeMutedAnnouncement = 4;
inline constexpr UINT kCapsLockOnAnnouncement = 5, kCapsLockOffAnnouncement = 6;
inline constexpr UINT kNumLockOnAnnouncement = 7, kNumLockOffAnnouncement = 8;
inline constexpr UINT kScrollLockOnAnnouncement = 9, kScrollLockOffAnnouncement = 10;
inline constexpr UINT kMicrophoneMutedAnnouncement = 11, kMicrophoneOnAnnouncement = 12;

// Loads string `id` in the language of the thread locale into `buffer`
// (truncated, terminated). Falls back to another variant of the same
// language, then to English. Returns the number of characters copied.
int load_string(UINT id, char* buffer, int size);

// As load_string, for an explicit language.
int load_string_in(LANGID language, UINT id, char* buffer, int size);

// As load_string, as the table holds it (UTF-16); empty when missing.
std::u16string load_wide_string(UINT id);

} // namespace vx::osd
