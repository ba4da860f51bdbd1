#include "dpi.h"

#include "platform/monitor_seam.h"
#include "platform/system_function.h"

namespace vx::osd {
namespace {

enum class Awareness { Unaware, System, PerMonitor, Unknown };

// DPI_AWARENESS and PROCESS_DPI_AWARENESS share these values.
constexpr int kUnaware = 0;
constexpr int kSystemAware = 1;
constexpr int kPerMonitorAware = 2;
constexpr int kEffectiveDpi = 0; // MDT_EFFECTIVE_DPI

bool plausible(int dpi) { return dpi >= 24 && dpi <= 2400; }

// The thread's awareness from Windows 10 1607 on (a host may run threads of
// several), the process's on Windows 8.1; before that there are no
// per-monitor DPIs and the screen's DPI is the answer.
Awareness thread_awareness()
{
    using GetContext = HANDLE(WINAPI*)();
    using GetAwareness = int(WINAPI*)(HANDLE);
    using GetProcessAwareness = HRESULT(WINAPI*)(HANDLE, int*);
    static const auto context = platform::system_function_as<GetContext>("user32.dll", "GetThreadDpiAwarenessContext");
    static const auto awareness =
        platform::system_function_as<GetAwareness>("user32.dll", "GetAwarenessFromDpiAwarenessContext");
    int value = -1;
    if (context && awareness) {
        value = awareness(context());
    } else {
        static const auto process =
            platform::system_function_as<GetProcessAwareness>("shcore.dll", "GetProcessDpiAwareness");
        if (!process || FAILED(process(nullptr, &value)))
            return Awareness::Unknown;
    }
    switch (value) {
    case kUnaware: return Awareness::Unaware;
    case kSystemAware: return Awareness::System;
    case kPerMonitorAware: return Awareness::PerMonitor;
    default: return Awareness::Unknown;
    }
}

int monitor_dpi(Awareness awareness, HMONITOR monitor)
{
    if (awareness == Awareness::Unaware)
        return kBaseDpi;
    if (awareness == Awareness::PerMonitor && monitor) {
        UINT x = 0, y = 0;
        if (SUCCEEDED(platform::monitors().GetDpiForMonitor(monitor, kEffectiveDpi, &x, &y)) &&
            plausible(static_cast<int>(y)))
            return static_cast<int>(y);
    }
    return system_dpi();
}

} // namespace

int system_dpi()
{
    HDC screen = GetDC(nullptr);
    if (!screen)
        return kBaseDpi;
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return plausible(dpi) ? dpi : kBaseDpi;
}

int dpi_for_monitor(HMONITOR monitor) { return monitor_dpi(thread_awareness(), monitor); }

int primary_dpi()
{
    const Awareness awareness = thread_awareness();
    if (awareness != Awareness::PerMonitor)
        return monitor_dpi(awareness, nullptr);
    // The primary monitor is the real one in every setting, tests included,
    // so it is found without the monitor seam; only its DPI goes through it.
    constexpr POINT kPrimaryOrigin{0, 0};
    return monitor_dpi(awareness, MonitorFromPoint(kPrimaryOrigin, MONITOR_DEFAULTTOPRIMARY));
}

} // namespace vx::osd
