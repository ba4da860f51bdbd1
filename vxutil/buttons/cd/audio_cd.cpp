// The AudioCD_* exports. Every operation that takes a drive first closes and
// reopens the alias, so it always acts on the disc now in the drive.
#include "buttons/cd/audio_cd.h"

#include <algorithm>
#include <optional>
#include <string>

#include "core/mci_commands.h"
#include "platform/mci_seam.h"
#include "platform/system_seam.h"
#include "export_guard.h"
#include "vxutil.h"

namespace vx::audio_cd {
namespace {

using vx::mci::command;

// What an export reports when its work ran out of memory.
constexpr int kNoMemory = MCIERR_OUT_OF_MEMORY;

// The position taken at the last pause; non-empty exactly when the next
// play should resume from there.
std::string& saved()
{
    static std::string position;
    return position;
}

// Sends one command string. A command that could not be built (too long for
// MCI's buffer) is not sent and fails as an over-long parameter. Error texts
// are fetched, as MCI expects of a caller, and dropped.
MCIERROR run(const std::optional<std::string>& text, std::string* reply = nullptr)
{
    if (!text)
        return MCIERR_PARAM_OVERFLOW;
    char buffer[mci::kCommandCapacity] = {};
    const MCIERROR error = platform::mci().mciSendStringA(text->c_str(), buffer, sizeof buffer, nullptr);
    if (error) {
        char message[MAX_PATH];
        platform::mci().mciGetErrorStringA(error, message, sizeof message);
        return error;
    }
    if (reply) {
        buffer[sizeof buffer - 1] = '\0';
        *reply = buffer;
    }
    return 0;
}

MCIERROR run(const char* text, std::string* reply = nullptr) { return run(std::optional<std::string>(text), reply); }

bool drops_trailing_backslash()
{
    const auto v = platform::windows_version();
    const bool nt = v.platform == VER_PLATFORM_WIN32_NT;
    const bool win2000 = nt && v.major == 5 && v.minor == 0;
    return nt && !win2000;
}

bool reopen(const char* drive)
{
    run("close vxbcd");
    return AudioCD_OpenCDAudio(drive) != 0;
}

bool is_playing_now()
{
    std::string mode;
    return run("status vxbcd mode", &mode) == 0 && mci::reply_is(mode, "playing");
}

MCIERROR pause_and_save()
{
    std::string position;
    run("status vxbcd position", &position);
    saved() = position;
    return run("pause vxbcd");
}

MCIERROR resume_saved()
{
    const MCIERROR error = run(command("play vxbcd from ", saved()));
    saved().clear();
    return error;
}

MCIERROR resume_or_start(const char* drive)
{
    if (!saved().empty())
        return resume_saved();
    AudioCD_Stop(drive);
    std::string unused;
    run("status vxbcd position", &unused);
    run("seek vxbcd to start");
    return run("play vxbcd");
}

} // namespace

const char* saved_position() { return saved().c_str(); }
void reset_for_tests() { saved().clear(); }

int dispatch(std::uint32_t code, const char* drive)
{
    switch (code) {
    case 0xB0:
        AudioCD_Play(drive);
        return 1;
    case 0xB1:
        AudioCD_Pause(drive);
        return 1;
    case 0xB5:
        AudioCD_NextTrack(drive);
        return 1;
    case 0xB6:
        AudioCD_PrevTrack(drive);
        return 1;
    case 0xB7:
        AudioCD_Stop(drive);
        return 1;
    case 0xCD:
        AudioCD_PlayPause(drive);
        return 1;
    default:
        return 0;
    }
}

} // namespace vx::audio_cd

using namespace vx::audio_cd;
using vx::mci::command;

extern "C" int WINAPI AudioCD_OpenCDAudio(const char* drive)
{
    return vx::guarded<int>(0, [&]() -> int {
        std::string name;
        if (drive)
            name = vx::mci::drive_for_open(drive, drops_trailing_backslash());
        const char* target = drive ? name.c_str() : nullptr;
        int result = 0;
        if (run(vx::mci::open_command(target, vx::mci::kProbeAlias)) == 0)
            result = run(vx::mci::open_command(target, vx::mci::kAlias)) == 0 ? 1 : 0;
        run("close vxbcdx");
        return result;
    });
}

extern "C" int WINAPI AudioCD_CloseCDAudio(void)
{
    return vx::guarded<int>(kNoMemory, [] { return static_cast<int>(run("close vxbcd")); });
}

extern "C" int WINAPI AudioCD_Eject(void)
{
    auto& m = vx::platform::mci();
    MCI_OPEN_PARMSA open{};
    open.lpstrDeviceType = "cdaudio";
    const MCIERROR error = m.mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE, reinterpret_cast<DWORD_PTR>(&open));
    if (error)
        return static_cast<int>(error);
    MCI_SET_PARMS set{};
    m.mciSendCommandA(open.wDeviceID, MCI_SET, MCI_SET_DOOR_OPEN | MCI_SET_OFF, reinterpret_cast<DWORD_PTR>(&set));
    m.mciSendCommandA(open.wDeviceID, MCI_CLOSE, 0, 0);
    return 0;
}

extern "C" int WINAPI AudioCD_Stop(const char* drive)
{
    return vx::guarded<int>(kNoMemory, [&]() -> int {
        if (!reopen(drive))
            return 0;
        run("stop vxbcd");
        const MCIERROR error = run("seek vxbcd to start");
        saved().clear();
        return static_cast<int>(error);
    });
}

extern "C" int WINAPI AudioCD_NextTrack(const char* drive)
{
    return vx::guarded<int>(kNoMemory, [&]() -> int {
        if (!reopen(drive))
            return 0;
        run("set vxbcd time format TMSF");
        std::string track;
        run("status vxbcd current track", &track);
        return static_cast<int>(run(command("play vxbcd from ", std::to_string(vx::mci::reply_number(track) + 1))));
    });
}

extern "C" int WINAPI AudioCD_PrevTrack(const char* drive)
{
    return vx::guarded<int>(kNoMemory, [&]() -> int {
        if (!reopen(drive))
            return 0;
        run("set vxbcd time format TMSF");
        std::string position;
        run("status vxbcd position", &position);
        const int track = vx::mci::previous_track_target(position);
        // A track jump starts playback anew: a pause point taken earlier must
        // not be resumed by the next play.
        saved().clear();
        return static_cast<int>(run(command("play vxbcd from ", std::to_string(track))));
    });
}

extern "C" int WINAPI AudioCD_IsPlaying(const char* drive)
{
    return vx::guarded<int>(-1, [&]() -> int {
        if (!reopen(drive))
            return -1;
        return is_playing_now() ? 1 : 0;
    });
}

extern "C" int WINAPI AudioCD_Play(const char* drive)
{
    return vx::guarded<int>(kNoMemory, [&]() -> int {
        if (!reopen(drive) || is_playing_now())
            return 0;
        return static_cast<int>(resume_or_start(drive));
    });
}

extern "C" int WINAPI AudioCD_PlayPause(const char* drive)
{
    return vx::guarded<int>(kNoMemory, [&]() -> int {
        if (!reopen(drive))
            return 0;
        if (is_playing_now())
            return static_cast<int>(pause_and_save());
        return static_cast<int>(resume_or_start(drive));
    });
}

extern "C" int WINAPI AudioCD_Pause(const char* drive)
{
    return vx::guarded<int>(kNoMemory, [&]() -> int {
        if (!reopen(drive))
            return 0;
        if (is_playing_now())
            return static_cast<int>(pause_and_save());
        if (!saved().empty())
            return static_cast<int>(resume_saved());
        return static_cast<int>(MCIERR_NONAPPLICABLE_FUNCTION);
    });
}

extern "C" int WINAPI AudioCD_FindAudioByMCI(const char* drive)
{
    return vx::guarded<int>(kNoMemory, [&]() -> int {
        if (!reopen(drive))
            return MCIERR_FILE_NOT_FOUND;
        std::string count;
        const MCIERROR error = run("status vxbcd number of tracks", &count);
        if (error)
            return static_cast<int>(error);
        // An audio CD has at most 99 tracks; a larger count is a damaged reply.
        const int tracks = std::min(vx::mci::reply_number(count), 99);
        for (int t = 1; t <= tracks; ++t) {
            std::string type;
            if (run(command("status vxbcd type track ", std::to_string(t)), &type) == 0 &&
                vx::mci::reply_is(type, "audio"))
                return 0;
        }
        return MCIERR_FILE_NOT_FOUND;
    });
}
