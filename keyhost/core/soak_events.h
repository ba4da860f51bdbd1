// The key session of a long run, generated from a seed rather than read from
// a file: every key of the function table that acts without reaching outside
// the process (the volume keys tapped and held, Mute, the keys with no
// function, the CD keys, which go to Windows without a disc), the lock keys,
// the microphone, texts, a screen change every few thousand events, and a
// sample of the process's resources at rest after every thousand. Steps are
// made on demand, so a session of any length costs no memory. Portable.
#pragma once
#include <cstdint>
#include <deque>

#include "core/replay_script.h"

namespace keyhost {

struct SoakPlan {
    std::uint64_t events = 100000;
    std::uint64_t seed = 1;
    std::uint64_t sample_every = 1000;
    std::uint64_t screen_every = 2500;
};

class SoakEvents {
public:
    explicit SoakEvents(const SoakPlan& plan);
    // The next step; false once the session has ended (with a last sample).
    bool next(ReplayStep& step);

private:
    std::uint64_t random();
    std::uint32_t below(std::uint32_t n) { return static_cast<std::uint32_t>(random() % n); }
    void plan_episode();
    void add(StepKind kind, std::uint32_t code = 0, std::uint32_t ms = 0);
    void add_hold();
    void add_text();

    SoakPlan plan_;
    std::uint64_t state_;
    std::uint64_t events_ = 0; // events planned so far
    std::uint64_t next_sample_;
    std::uint64_t next_screen_;
    bool ended_ = false;
    std::deque<ReplayStep> queue_;
};

} // namespace keyhost
