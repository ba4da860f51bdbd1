// Disc kinds, the order in which the classifier tests a drive, the choice of
// the drive the CD keys act on, and the play-state decision of the CD keys.
// Portable: no Windows header; the Windows side supplies the probes.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace vx::disc {

enum Kind : int {
    kNoDisc = 0,
    kAudioCd = 1,
    kDvdVideo = 2,
    kSoftwareCd = 3,
    kVideoCd = 4,
    kDataDisc = 5,
    kNoDrive = 6,
};

// What the classifier asks of one drive root, in the order it asks; each
// question is asked only when the earlier ones did not decide.
struct DriveProbe {
    std::function<bool()> has_volume;
    std::function<bool()> has_cda_file;      // "*.cda"
    std::function<bool()> has_vcd_info;      // "vcd\info.vcd"
    std::function<bool()> has_audio_track;   // MCI finds an audio track
    std::function<bool()> has_autorun;       // "AUTORUN.*"
    std::function<bool()> has_dvd_video;     // "video_ts\vts_01_0.ifo"
};

Kind classify(const DriveProbe& probe);

// True when a drive of kind `candidate` takes the place of the best so far:
// anything replaces "no drive" and "no disc"; audio, DVD, VCD and software
// replace a data disc; audio, DVD and VCD replace a software CD; audio, DVD
// and VCD are never replaced.
bool replaces(int best, int candidate);

// Folds the drives in order into the chosen one.
struct Choice {
    int kind = kNoDrive;
    std::string root;
    void offer(int kind_of_drive, const std::string& drive_root)
    {
        if (replaces(kind, kind_of_drive)) {
            kind = kind_of_drive;
            root = drive_root;
        }
    }
};

// The library's belief about playback, shared by the detection and the keys.
struct PlayState {
    int flag = 0;
    int last_kind = 0;
    std::uint32_t last_check = 0;
};

inline constexpr std::uint32_t kRecheckIntervalMs = 1000;

// The sources of a play-state check, asked only when needed.
struct PlayProbe {
    // A window of the Windows Media Player exists.
    std::function<bool()> media_player_window;
    // MCI mode of the audio CD in the chosen drive: 1, 0, or -1 when the
    // device cannot be opened.
    std::function<int()> mci_is_playing;
    // The drive's read position moves (SCSI), for the disc kind given.
    std::function<int(int kind)> drive_moving;
};

// Decides the play state for the chosen drive's kind at tick `now`: -1 for
// no disc, a software CD or a data disc; 0 without a drive; otherwise the
// play flag after the check. Within one second of the last check of the
// same kind the drive is not asked and the flag is inverted instead, which
// is what a second press of play/pause means.
int check_play_state(PlayState& state, int kind, std::uint32_t now, const PlayProbe& probe);

} // namespace vx::disc
