#include "cd_disc.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "core/disc_rules.h"
#include "input/key_state.h"
#include "vxutil.h"

namespace keyhost {
namespace {

bool has_volume(const std::string& root)
{
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
    const BOOL ok = GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0);
    SetErrorMode(previous);
    return ok != FALSE;
}

bool file_on(const std::string& root, const char* pattern)
{
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
    const bool found = FileExisted((root + pattern).c_str()) != 0;
    SetErrorMode(previous);
    return found;
}

int kind_of(const std::string& root)
{
    const vx::disc::DriveProbe probe{
        [&] { return has_volume(root); },
        [&] { return file_on(root, "*.cda"); },
        [&] { return file_on(root, "vcd\\info.vcd"); },
        [&] { return AudioCD_FindAudioByMCI(root.c_str()) == 0; },
        [&] { return file_on(root, "AUTORUN.*"); },
        [&] { return file_on(root, "video_ts\\vts_01_0.ifo"); },
    };
    return vx::disc::classify(probe);
}

} // namespace

bool disc_for_cd_keys(const char* root)
{
    if (GetDriveTypeA(root) != DRIVE_CDROM)
        return false;
    const int kind = kind_of(root);
    return kind == vx::disc::kAudioCd || kind == vx::disc::kDvdVideo || kind == vx::disc::kVideoCd;
}

namespace {

constexpr UINT kCheckMessage = WM_APP + 1;
constexpr std::uint32_t kAllDrives = (1u << 26) - 1;

} // namespace

// Owned by the checking thread, which may outlive its DiscWatch by one slow
// drive: a stop only makes it quiet.
struct DiscWatch::Context {
    Log log;
    std::atomic<bool> quiet{false};
};

DWORD WINAPI DiscWatch::run(void* context)
{
    std::unique_ptr<Context> me(static_cast<Context*>(context));
    std::uint32_t with_disc = 0; // drives holding a disc the CD functions play
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message != kCheckMessage)
            continue;
        std::uint32_t mask = static_cast<std::uint32_t>(msg.wParam) & kAllDrives;
        // Notices that came in meanwhile are checked in the same pass.
        while (PeekMessageA(&msg, nullptr, kCheckMessage, kCheckMessage, PM_REMOVE))
            mask |= static_cast<std::uint32_t>(msg.wParam) & kAllDrives;
        for (int drive = 0; drive < 26; ++drive) {
            if (!(mask & (1u << drive)))
                continue;
            const char root[] = {static_cast<char>('A' + drive), ':', '\\', '\0'};
            if (GetDriveTypeA(root) != DRIVE_CDROM)
                continue;
            if (disc_for_cd_keys(root))
                with_disc |= 1u << drive;
            else
                with_disc &= ~(1u << drive);
        }
        const bool disc = with_disc != 0;
        if (key_state().disc.exchange(disc) != disc && !me->quiet)
            me->log(disc ? "disc    a drive holds a disc: the CD keys are keyhost's"
                         : "disc    no drive holds a disc: the CD keys are Windows'");
    }
    return 0;
}

void DiscWatch::start(Log log)
{
    stop();
    context_ = new Context{std::move(log)};
    thread_ = CreateThread(nullptr, 0, run, context_, 0, &thread_id_);
    if (!thread_) {
        delete context_;
        context_ = nullptr;
        return;
    }
    changed(kAllDrives);
}

void DiscWatch::changed(std::uint32_t unit_mask)
{
    // Retried until the new thread has its queue.
    for (int i = 0; thread_ && i < 100 && !PostThreadMessageA(thread_id_, kCheckMessage, unit_mask, 0); ++i)
        Sleep(1);
}

void DiscWatch::stop()
{
    if (!thread_)
        return;
    context_->quiet = true;
    PostThreadMessageA(thread_id_, WM_QUIT, 0, 0);
    // A drive that takes long to answer is not waited for past a few
    // seconds; the thread ends by itself after it.
    WaitForSingleObject(thread_, 5000);
    CloseHandle(thread_);
    thread_ = nullptr;
    context_ = nullptr;
}

} // namespace keyhost
