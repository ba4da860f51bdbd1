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

#include <shellapi.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "host.h"
#include "replay/replay_runner.h"
#include "shell/single_copy.h"
#include "shell/unicode_path.h"

namespace {

constexpr int kAlreadyRunning = 3;

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    keyhost::Options options;
    keyhost::SoakPlan soak;
    soak.events = 0;
    // The wide command line, so folders outside the ANSI code page arrive intact.
    std::vector<std::string> args;
    int count = 0;
    if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i)
            args.push_back(keyhost::to_utf8(wide[i]));
        LocalFree(wide);
    }
    const std::size_t argc = args.size();
    for (std::size_t i = 1; i < argc; ++i) {
        const std::string& arg = args[i];
        if (arg == "--classic")
            options.classic_volume = true;
        else if (arg == "--replay" && i + 1 < argc)
            options.replay = args[++i];
        else if (arg == "--out" && i + 1 < argc)
            options.out_dir = args[++i];
        else if (arg == "--soak" && i + 1 < argc)
            soak.events = std::strtoull(args[++i].c_str(), nullptr, 10);
        else if (arg == "--seed" && i + 1 < argc)
            soak.seed = std::strtoull(args[++i].c_str(), nullptr, 10);
    }
    options.log_announcements = soak.events == 0 || !options.replay.empty();
    options.interactive = options.replay.empty() && soak.events == 0;
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
