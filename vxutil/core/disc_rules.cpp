#include "core/disc_rules.h"

namespace vx::disc {

Kind classify(const DriveProbe& p)
{
    if (!p.has_volume())
        return kNoDisc;
    if (p.has_cda_file())
        return kAudioCd;
    if (p.has_vcd_info())
        return kVideoCd;
    if (p.has_audio_track())
        return kAudioCd;
    if (p.has_autorun())
        return kSoftwareCd;
    if (p.has_dvd_video())
        return kDvdVideo;
    return kDataDisc;
}

bool replaces(int best, int candidate)
{
    switch (best) {
    case kNoDrive:
    case kNoDisc:
        return true;
    case kDataDisc:
        return candidate >= kAudioCd && candidate <= kVideoCd;
    case kSoftwareCd:
        return candidate == kAudioCd || candidate == kDvdVideo || candidate == kVideoCd;
    default:
        return false;
    }
}

int check_play_state(PlayState& s, int kind, std::uint32_t now, const PlayProbe& probe)
{
    if (kind != s.last_kind) {
        // Another disc: the next answer must come from the drive.
        s.last_check = 0;
        s.last_kind = kind;
    }
    if (kind == kNoDisc || kind == kSoftwareCd || kind == kDataDisc) {
        s.last_check = now;
        return -1;
    }
    if (kind == kNoDrive) {
        s.last_check = now;
        return 0;
    }
    bool ask_drive = true;
    if (kind == kAudioCd && !probe.media_player_window()) {
        const int mci = probe.mci_is_playing();
        if (mci == 0 || mci == 1) {
            s.flag = mci;
            ask_drive = false;
        }
    }
    if (ask_drive) {
        // Elapsed time in wrapping 32-bit arithmetic, so the check still works
        // across the tick counter's wrap after 49.7 days; a last check of 0
        // means "never" (a new disc kind) and always asks the drive.
        if (s.last_check == 0 || static_cast<std::uint32_t>(now - s.last_check) >= kRecheckIntervalMs)
            s.flag = probe.drive_moving(kind);
        else
            s.flag = !s.flag;
    }
    s.last_check = now;
    return s.flag;
}

} // namespace vx::disc
