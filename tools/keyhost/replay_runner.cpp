#include "replay_runner.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "screenshot.h"

namespace keyhost {
namespace {

constexpr std::size_t kMaxScriptBytes = 1 << 20;

struct Replay {
    Host* host = nullptr;
    ReplayScript script;
    std::size_t next = 0;
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

void CALLBACK run_steps(HWND, UINT, UINT_PTR, DWORD)
{
    auto& r = g_replay;
    if (r.timer) {
        KillTimer(nullptr, r.timer);
        r.timer = 0;
    }
    while (r.next < r.script.steps.size()) {
        const ReplayStep& step = r.script.steps[r.next++];
        switch (step.kind) {
        case StepKind::Press: r.host->replay_key(step.code, true); break;
        case StepKind::Release: r.host->replay_key(step.code, false); break;
        case StepKind::Key:
            r.host->replay_key(step.code, true);
            r.host->replay_key(step.code, false);
            break;
        case StepKind::Lock: r.host->on_lock(step.lock, step.on); break;
        case StepKind::Mic: r.host->on_mic(step.on); break;
        case StepKind::Screenshot: {
            dispatch_pending();
            std::string name = step.name;
            if (name.find('.') == std::string::npos)
                name += ".bmp";
            const std::string path = r.host->out_dir() + "\\" + name;
            r.host->log("shot    %s %s", path.c_str(), save_screen_bmp(path) ? "saved" : "FAILED");
            break;
        }
        case StepKind::Wait:
            r.timer = SetTimer(nullptr, 0, step.ms ? step.ms : 1, run_steps);
            observe(step);
            return;
        }
        observe(step);
    }
    report_latency(*r.host);
    r.host->log("replay: done, %zu steps", r.script.steps.size());
    DestroyWindow(r.host->window());
}

} // namespace

void set_step_observer(StepObserver observer, void* context)
{
    g_observer = observer;
    g_observer_context = context;
}

bool start_replay(Host& host, const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
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
    g_replay = Replay{};
    g_replay.host = &host;
    g_replay.script = parse_replay_script(text);
    if (!g_replay.script.error.empty()) {
        host.log("replay: %s: %s", path.c_str(), g_replay.script.error.c_str());
        return false;
    }
    g_replay.timer = SetTimer(nullptr, 0, 1, run_steps);
    return true;
}

} // namespace keyhost
