// Feeds a replay script, or a generated long session, through the host's
// key functions on the action thread's message loop: waits are timers, so
// the library timers keep running, and the resource samples see the timers
// and windows of the thread that holds them.
#pragma once
#include "host.h"
#include "core/replay_script.h"
#include "core/soak_events.h"

namespace keyhost {

// Starts the replay; returns false (with a message logged) when the script
// cannot be read. keyhost ends after the last step.
bool start_replay(Host& host, const std::string& path);

// Starts a generated session of `plan.events` input events with a sample of
// the process's resources after every `plan.sample_every`; the host ends
// with exit code 4 when the samples did not stay flat.
void start_soak(Host& host, const SoakPlan& plan);

// Called after each step has run (tests check the screen between steps).
using StepObserver = void (*)(const ReplayStep& step, void* context);
void set_step_observer(StepObserver observer, void* context);

} // namespace keyhost
