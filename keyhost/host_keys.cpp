// The UI thread's part of the key path: every key change from Raw Input and
// the hook is decided here once and handed to the action thread, or to
// Windows. A key goes back to Windows when the action thread is busy (it has
// not picked up its work within kResponsiveMs) or when its function reports
// that it did nothing (result 0); keys the hook took are re-sent with
// SendInput, marked so the hook lets them through. Held keys end when their
// source lets go, when the hook stops seeing their repeats, and at the latest
// after kHoldLimitMs.
#include "host.h"

#include "core/consumer_keys.h"
#include "input/key_state.h"

namespace keyhost {

RawInputSink Host::raw_input_sink()
{
    return RawInputSink{
        [this](Source source, std::span<const std::uint32_t> codes, int steps) { on_report(source, codes, steps); },
        [this](LockKey key) {
            // The state Windows has now, so a toggle made while keyhost did
            // not listen never inverts the indicator.
            static const int keys[] = {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL};
            const bool on = (GetKeyState(keys[static_cast<int>(key)]) & 1) != 0;
            action_thread_.post([this, key, on] { actions_.lock(key, on); });
        },
        [this](std::uint32_t virtual_key, std::uint64_t extra) {
            // A keystroke the hook should have seen (it swallows the keys it
            // takes before Raw Input makes them).
            if (hook_.running() && extra != kGivenBackMark && code_of_virtual_key(virtual_key)) {
                hook_watch_.expect(virtual_key, now_ms());
                arm_watch();
            }
        },
        [this](std::uint64_t) { release_all("a report could not be read"); },
        [this](std::uint64_t device) { return tracker_.holds_any(device); },
    };
}

void Host::on_report(Source source, std::span<const std::uint32_t> codes, int dial_steps)
{
    std::vector<KeyChange> changes;
    tracker_.set(source, codes, changes);
    for (const KeyChange& change : changes)
        if (const std::uint32_t virtual_key = virtual_key_of_code(change.code); change.pressed && virtual_key && hook_.running())
            hook_watch_.expect(virtual_key, now_ms());
    apply(changes, false);
    // A dial step is a tap of the volume key, unless one is held and its
    // repeat already moves the volume.
    const std::uint32_t key = dial_steps > 0 ? kVolumeUp : kVolumeDown;
    for (int i = 0; i < (dial_steps < 0 ? -dial_steps : dial_steps); ++i) {
        if (tracker_.down(kVolumeUp) || tracker_.down(kVolumeDown))
            break;
        apply({{key, true}, {key, false}}, false);
    }
}

void Host::on_hook_key(std::uint32_t virtual_key, bool down)
{
    const std::uint32_t code = code_of_virtual_key(virtual_key);
    const std::uint64_t now = now_ms();
    if (down) {
        auto [hold, fresh] = hook_holds_.try_emplace(code, HookHold{now, now});
        hold->second.last_down = now;
        if (fresh)
            hook_took_.insert(code);
    } else {
        hook_holds_.erase(code);
    }
    std::vector<KeyChange> changes;
    tracker_.key(kHookSource, code, down, changes);
    apply(changes, true);
}

// The hook decided its own keys; a report's keys are decided here with the
// same disc state and the same view of the action thread.
void Host::apply(const std::vector<KeyChange>& changes, bool decided_by_hook)
{
    const std::uint64_t now = now_ms();
    for (const KeyChange& change : changes) {
        const std::uint32_t code = change.code;
        if (code == kMicMuteCode) {
            if (change.pressed)
                action_thread_.post([this] { actions_.toggle_mic(); });
            continue;
        }
        if (!change.pressed) {
            if (given_back_.erase(code))
                give_back(code, false);
            else if (!ended_.erase(code) && acting_.erase(code))
                queue_key(code, false);
            continue;
        }
        if (!decided_by_hook && !host_takes(code, key_state().disc)) {
            log("pass    0x%04X to Windows (no disc for the CD functions)", code);
        } else if (!decided_by_hook && !action_thread_responsive(now, key_state().busy_since)) {
            log("pass    0x%04X to Windows (busy)", code);
        } else {
            acting_[code] = now;
            queue_key(code, true);
        }
    }
    arm_watch();
}

void Host::queue_key(std::uint32_t code, bool pressed)
{
    LARGE_INTEGER qpc;
    QueryPerformanceCounter(&qpc);
    action_thread_.post_key(KeyWork{code, pressed, now_ms(), qpc.QuadPart});
}

// On the action thread.
void Host::run_key(const KeyWork& work)
{
    const int result = actions_.key(work.code, work.pressed, work.queued_qpc);
    if (work.pressed)
        PostMessageA(window_, kKeyDoneMessage, work.code, result);
}

// A press the hook took whose function did nothing goes to Windows after all.
void Host::on_key_done(std::uint32_t code, int result)
{
    if (!hook_took_.erase(code) || result != 0)
        return;
    log("give    0x%04X back to Windows (its function did nothing)", code);
    give_back(code, true);
    if (acting_.erase(code))
        given_back_.insert(code); // its release follows when it comes
    else
        give_back(code, false); // released meanwhile
}

void Host::give_back(std::uint32_t code, bool down)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = static_cast<WORD>(virtual_key_of_code(code));
    input.ki.dwFlags = KEYEVENTF_EXTENDEDKEY | (down ? 0 : KEYEVENTF_KEYUP);
    input.ki.dwExtraInfo = kGivenBackMark;
    if (input.ki.wVk)
        SendInput(1, &input, sizeof input);
}

void Host::release_all(const char* why)
{
    std::vector<KeyChange> changes;
    tracker_.release_all(changes);
    hook_holds_.clear();
    if (!changes.empty())
        log("release %zu held key(s): %s", changes.size(), why);
    apply(changes, true);
}

void Host::arm_watch()
{
    if (!watching_ && (!acting_.empty() || hook_watch_.waiting() || action_thread_.has_work()))
        watching_ = SetTimer(window_, kKeyWatchTimer, kKeyWatchMs, nullptr) != 0;
}

void Host::watch_keys()
{
    const std::uint64_t now = now_ms();
    // Presses the action thread did not pick up in time go to Windows.
    for (const KeyWork& late : action_thread_.take_late(now)) {
        acting_.erase(late.code);
        log("pass    0x%04X to Windows (busy)", late.code);
        if (hook_took_.erase(late.code)) {
            give_back(late.code, true);
            if (tracker_.down(late.code))
                given_back_.insert(late.code);
            else
                give_back(late.code, false);
        }
    }
    // Keys held through the hook whose repeats stopped, or held too long.
    std::vector<KeyChange> changes;
    for (auto it = hook_holds_.begin(); it != hook_holds_.end();) {
        const std::uint32_t code = it->first;
        if (hook_hold_end(it->second, now, repeat_window_) == HoldEnd::Released) {
            log("release 0x%04X: the keyboard stopped repeating it", code);
            it = hook_holds_.erase(it);
            tracker_.key(kHookSource, code, false, changes);
        } else {
            ++it;
        }
    }
    apply(changes, true);
    for (auto it = acting_.begin(); it != acting_.end();) {
        if (hold_limit_reached(it->second, now)) {
            log("release 0x%04X: held longer than %llu s", it->first,
                static_cast<unsigned long long>(kHoldLimitMs / 1000));
            ended_.insert(it->first);
            queue_key(it->first, false);
            it = acting_.erase(it);
        } else {
            ++it;
        }
    }
    if (hook_watch_.lost(now, [](std::uint32_t vk) { return key_state().hook_seen[vk & 0xFF].load(); }))
        restart_hook("a key the hook did not see");
    if (acting_.empty() && !hook_watch_.waiting() && !action_thread_.has_work()) {
        KillTimer(window_, kKeyWatchTimer);
        watching_ = false;
    }
}

} // namespace keyhost
