// Times the OSD shows on the screen this program runs on: each display with
// the run-length region builder and with the per-pixel reference, in the
// same run, with QueryPerformanceCounter. Prints the median milliseconds per
// show and the ratio, and whether the fast shows kept within --budget-ms.
// Exits 1 when the text region builder is less than --min-ratio times faster
// than the per-pixel reference: a ratio holds on a busy shared machine where
// absolute times do not.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <functional>
#include <vector>

#include "core/text_layout.h"
#include "osd_module.h"
#include "osd_state.h"
#include "string_table.h"
#include "region_shaping.h"
#include "vxosd.h"
#include "vxutil.h"

namespace {

double now_ms()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

// Median milliseconds of one show over `runs` shows after one warm-up: the
// machine is shared, and the median ignores the shows another process
// interrupted.
double time_show(const std::function<void()>& show, int runs)
{
    show();
    pump();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        vx::osd::state().show_string_calls = 0;
        const double start = now_ms();
        show();
        times.push_back(now_ms() - start);
        pump();
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    double budget = 0;
    double min_ratio = 0;
    int runs = 40;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--budget-ms") && i + 1 < argc)
            budget = std::atof(argv[++i]);
        else if (!std::strcmp(argv[i], "--min-ratio") && i + 1 < argc)
            min_ratio = std::atof(argv[++i]);
        else if (!std::strcmp(argv[i], "--runs") && i + 1 < argc)
            runs = std::atoi(argv[++i]);
    }
    Reg_InitProfile("Software\\VXKeyboardTest\\OSDTiming", nullptr);
    OSD_Init();
    OSD_InitLockKey();
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    std::printf("screen %d x %d, font height %ld, %d runs per fast show\n", cx, cy,
                vx::osd::state().settings.font.lfHeight, runs);

    struct Case {
        const char* name;
        std::function<void()> show;
    } cases[] = {
        {"OSD_ShowMuteIcon", [] { OSD_ShowMuteIcon(1); }},
        {"OSD_ShowString (20 chars)",
         [] { OSD_ShowString("Volume up: level 20%", nullptr, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT); }},
        {"OSD_ShowVolume", [] { OSD_ShowVolume(0x8000, 32, 0xFFFF); }},
        {"OSD_ShowVolumeEx", [] { OSD_ShowVolumeEx(0x8000, 32, 0xFFFF, 0); }},
    };
    bool over = false;
    bool slow_builder = false;
    std::printf("%-28s %12s %14s %8s\n", "display", "runs ms", "per-pixel ms", "ratio");
    for (const Case& c : cases) {
        vx::osd::set_region_method(vx::osd::RegionMethod::Runs);
        const double fast = time_show(c.show, runs);
        vx::osd::set_region_method(vx::osd::RegionMethod::PerPixel);
        const double slow = time_show(c.show, runs / 8 > 2 ? runs / 8 : 2);
        std::printf("%-28s %12.3f %14.3f %7.1fx\n", c.name, fast, slow, slow / fast);
        if (budget > 0 && fast > budget)
            over = true;
    }
    // The region builders alone, at this screen's text band and icon size.
    {
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        HFONT font = CreateFontIndirectA(&vx::osd::state().settings.font);
        HGDIOBJ old_font = SelectObject(memory, font);
        const char* text = "Volume up: level 20%";
        SIZE extent{};
        GetTextExtentPoint32A(memory, text, lstrlenA(text), &extent);
        const vx::osd::Rect band{cx - extent.cx - 40, cy - extent.cy, cx, cy};
        const vx::osd::Rect draw{40, 0, cx, cy};
        HBITMAP icon = LoadBitmapA(vx::osd::this_module(), MAKEINTRESOURCEA(101));
        const int iw = 48 * cx / 1024;
        const int ih = 48 * cy / 768;
        struct Part {
            const char* name;
            std::function<HRGN()> build;
        } parts[] = {
            {"text band region",
             [&] { return vx::osd::shape_of_drawn_text(memory, text, draw, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT, cx, band); }},
            {"icon region (scaled 101)",
             [&] { return vx::osd::shape_from_bitmap(icon, 0, 0, 48, 48, iw, ih, vx::osd::Inside::Black); }},
        };
        for (const Part& part : parts) {
            auto timed = [&](int n) {
                return time_show([&] { DeleteObject(part.build()); }, n);
            };
            vx::osd::set_region_method(vx::osd::RegionMethod::Runs);
            const double fast = timed(runs);
            vx::osd::set_region_method(vx::osd::RegionMethod::PerPixel);
            const double slow = timed(runs / 8 > 2 ? runs / 8 : 2);
            std::printf("%-28s %12.3f %14.3f %7.1fx\n", part.name, fast, slow, slow / fast);
            if (&part == &parts[0] && min_ratio > 0 && slow / fast < min_ratio)
                slow_builder = true;
        }
        // Installing a region and bringing the window up, the rest of a show.
        HWND display = vx::osd::state().display;
        const double window = time_show(
            [&] {
                SetWindowRgn(display, CreateRectRgn(cx / 2, cy - 80, cx / 2 + 300, cy - 40), TRUE);
                SetWindowPos(display, HWND_TOPMOST, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
            },
            runs);
        std::printf("%-28s %12.3f\n", "SetWindowRgn + SetWindowPos", window);
        const double load = time_show([&] { DeleteObject(LoadBitmapA(vx::osd::this_module(), MAKEINTRESOURCEA(102))); }, runs);
        std::printf("%-28s %12.3f\n", "LoadBitmapA", load);
        char muted[MAX_PATH];
        const double string = time_show([&] { vx::osd::load_string(1, muted, sizeof muted); }, runs);
        std::printf("%-28s %12.3f\n", "mute text", string);
        const double dc = time_show([&] { ReleaseDC(display, GetWindowDC(display)); }, runs);
        std::printf("%-28s %12.3f\n", "GetWindowDC", dc);
        DeleteObject(icon);
        SelectObject(memory, old_font);
        DeleteObject(font);
        DeleteDC(memory);
    }
    vx::osd::set_region_method(vx::osd::RegionMethod::Runs);
    OSD_Destroy();
    if (budget > 0)
        std::printf(over ? "over budget: a fast show took longer than %.1f ms\n"
                         : "within budget: every fast show took at most %.1f ms\n",
                    budget);
    if (slow_builder)
        std::printf("the text region builder is less than %.0fx faster than per-pixel\n", min_ratio);
    return slow_builder ? 1 : 0;
}
