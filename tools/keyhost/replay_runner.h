// Feeds a replay script through the host's input path on its own thread's
// message loop: waits are timers, so the library timers keep running.
#pragma once
#include "host.h"
#include "core/replay_script.h"

namespace keyhost {

// Starts the replay; returns false (with a message logged) when the script
// cannot be read. The host window is destroyed after the last step.
bool start_replay(Host& host, const std::string& path);

// Called after each step has run (tests check the screen between steps).
using StepObserver = void (*)(const ReplayStep& step, void* context);
void set_step_observer(StepObserver observer, void* context);

} // namespace keyhost
