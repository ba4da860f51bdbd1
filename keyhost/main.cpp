// keyhost: a small reference hot-key manager for the multimedia keyboard.
//   keyhost [--classic] [--out DIR] [--replay FILE | --soak EVENTS [--seed N]]
// Without --replay or --soak it runs until Exit is chosen from its
// notification-area icon; with --replay it plays the script through the same
// input path and exits (exit code 2 when the script cannot be read); with
// --soak it plays a generated session of EVENTS input events the same way,
// samples its own resources at rest after every thousand and exits with 4
// when they grew. One copy runs per session: a second start tells the first
// and ends with exit code 3.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "host.h"
#include "replay/replay_runner.h"
#include "shell/single_copy.h"

namespace {

constexpr int kAlreadyRunning = 3;

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    keyhost::Options options;
    keyhost::SoakPlan soak;
    soak.events = 0;
    for (int i = 1; i < __argc; ++i) {
        const char* arg = __argv[i];
        if (std::strcmp(arg, "--classic") == 0)
            options.classic_volume = true;
        else if (std::strcmp(arg, "--replay") == 0 && i + 1 < __argc)
            options.replay = __argv[++i];
        else if (std::strcmp(arg, "--out") == 0 && i + 1 < __argc)
            options.out_dir = __argv[++i];
        else if (std::strcmp(arg, "--soak") == 0 && i + 1 < __argc)
            soak.events = std::strtoull(__argv[++i], nullptr, 10);
        else if (std::strcmp(arg, "--seed") == 0 && i + 1 < __argc)
            soak.seed = std::strtoull(__argv[++i], nullptr, 10);
    }
    options.log_announcements = soak.events == 0 || !options.replay.empty();
    if (!keyhost::first_in_session())
        return kAlreadyRunning;
    keyhost::Host host(options);
    if (!host.start(instance))
        return 1;
    if (!options.replay.empty() && !keyhost::start_replay(host, options.replay)) {
        DestroyWindow(host.window());
        host.run_message_loop();
        return 2;
    }
    if (options.replay.empty() && soak.events)
        keyhost::start_soak(host, soak);
    return host.run_message_loop();
}
