#include "replay_runner.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <vector>

#include "screenshot.h"
#include "shell/unicode_path.h"
#include "soak_sample.h"
#include "vxutil.h"

namespace keyhost {
namespace {

constexpr std::size_t kMaxScriptBytes = 1 << 20;
// A replay whose samples did not stay flat ends with this exit code.
constexpr int kNotFlat = 4;

// The next step of a replay; false once there is none.
using StepSource = std::function<bool(ReplayStep&)>;

struct Replay {
    Host* host = nullptr;
    StepSource source;
    std::size_t steps = 0;
    std::uint64_t events = 0;
    std::vector<ResourceSample> samples;
    std::int64_t mode_handles = 0; // left by the display mode changes themselves
    UINT_PTR timer = 0;
};

Replay g_replay;
StepObserver g_observer = nullptr;
void* g_observer_context = nullptr;

void observe(const ReplayStep& step)
{
    if (g_observer)
        g_observer(step, g_observer_context);
}

void dispatch_pending()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void report_latency(Host& host)
{
    auto values = host.volume_latencies();
    if (values.empty())
        return;
    std::sort(values.begin(), values.end());
    host.log("latency key event -> display: median %.2f ms, worst %.2f ms over %zu volume key presses",
             values[values.size() / 2], values.back(), values.size());
}

// Long enough for every display to have hidden itself after its last show.
DWORD settle_ms()
{
    int duration = 0;
    Reg_GetProfileNumber("OSD", "Duration", &duration, 2000);
    return static_cast<DWORD>(std::clamp(duration, 0, 60000)) + 1000;
}

void take_sample(Replay& r)
{
    if (r.samples.empty())
        r.host->log("%s", soak_table_header().c_str());
    r.samples.push_back(sample_at_rest(r.events, settle_ms()));
    r.samples.back().mode_handles = r.mode_handles;
    r.host->log("%s", soak_table_row(r.samples.back()).c_str());
}

void report_samples(Replay& r)
{
    if (r.samples.empty())
        return;
    r.host->log("soak: %s", soak_growth(r.samples).c_str());
    const std::vector<std::string> problems = soak_problems(r.samples);
    for (const std::string& problem : problems)
        r.host->log("soak: FAILED: %s", problem.c_str());
    if (problems.empty())
        r.host->log("soak: flat over %llu events", static_cast<unsigned long long>(r.events));
    else
        r.host->set_exit_code(kNotFlat);
}

// Wine keeps three registry keys of the display devices open at every mode
// change; what the change itself leaves is counted apart from the host's.
void change_screen(Replay& r, const ReplayStep& step)
{
    const std::uint32_t before = count_kernel_handles();
    r.host->change_screen(step.width, step.height);
    r.mode_handles += static_cast<std::int64_t>(count_kernel_handles()) - before;
}

void save_screenshot(Host& host, const std::string& step_name)
{
    dispatch_pending();
    std::string name = step_name;
    if (name.find('.') == std::string::npos)
        name += ".bmp";
    const std::string path = host.out_dir() + "\\" + name;
    host.log("shot    %s %s", path.c_str(), save_screen_bmp(path) ? "saved" : "FAILED");
}

void CALLBACK run_steps(HWND, UINT, UINT_PTR, DWORD)
{
    auto& r = g_replay;
    if (r.timer) {
        KillTimer(nullptr, r.timer);
        r.timer = 0;
    }
    ReplayStep step;
    while (r.source(step)) {
        ++r.steps;
        // Messages that came in meanwhile are handled first, as they would
        // be between real keys: the library's timers and notices keep pace.
        dispatch_pending();
        Host& host = *r.host;
        switch (step.kind) {
        case StepKind::Press: host.replay_key(step.code, true); break;
        case StepKind::Release: host.replay_key(step.code, false); break;
        case StepKind::Key:
            host.replay_key(step.code, true);
            host.replay_key(step.code, false);
            break;
        case StepKind::Lock: host.on_lock(step.lock, step.on); break;
        case StepKind::Mic: host.on_mic(step.on); break;
        case StepKind::Text: host.show_text(step.name); break;
        case StepKind::Screen: change_screen(r, step); break;
        case StepKind::Screenshot: save_screenshot(host, step.name); break;
        case StepKind::Sample: take_sample(r); break;
        case StepKind::Wait:
            r.timer = SetTimer(nullptr, 0, step.ms ? step.ms : 1, run_steps);
            observe(step);
            return;
        }
        if (is_event(step.kind))
            ++r.events;
        observe(step);
    }
    report_latency(*r.host);
    report_samples(r);
    r.host->log("replay: done, %zu steps", r.steps);
    r.host->end();
}

void start(Host& host, StepSource source)
{
    // The steps run on the action thread, between its library timers and
    // notices, so a step's displays are up when the next one starts.
    host.on_actions([&host, source = std::move(source)]() mutable {
        g_replay = Replay{};
        g_replay.host = &host;
        g_replay.source = std::move(source);
        g_replay.timer = SetTimer(nullptr, 0, 1, run_steps);
    });
}

} // namespace

void set_step_observer(StepObserver observer, void* context)
{
    g_observer = observer;
    g_observer_context = context;
}

bool start_replay(Host& host, const std::string& path)
{
    std::ifstream in(std::filesystem::path(widen(path)), std::ios::binary);
    if (!in) {
        host.log("replay: cannot open %s", path.c_str());
        return false;
    }
    std::string text;
    text.resize(kMaxScriptBytes + 1);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxScriptBytes) {
        host.log("replay: %s is larger than 1 MiB", path.c_str());
        return false;
    }
    auto script = std::make_shared<ReplayScript>(parse_replay_script(text));
    if (!script->error.empty()) {
        host.log("replay: %s: %s", path.c_str(), script->error.c_str());
        return false;
    }
    start(host, [script, next = std::size_t{0}](ReplayStep& step) mutable {
        if (next >= script->steps.size())
            return false;
        step = script->steps[next++];
        return true;
    });
    return true;
}

void start_soak(Host& host, const SoakPlan& plan)
{
    host.log("soak: %llu generated events, seed %llu, a sample every %llu", static_cast<unsigned long long>(plan.events),
             static_cast<unsigned long long>(plan.seed), static_cast<unsigned long long>(plan.sample_every));
    start(host, [events = SoakEvents(plan)](ReplayStep& step) mutable { return events.next(step); });
}

} // namespace keyhost
