// Times the OSD shows on the screen this program runs on: each display as
// VXOSD shows it and as the per-pixel reference would (the same layout, the
// shapes combined pixel by pixel, the same installation), in the same run,
// with QueryPerformanceCounter. Prints the median milliseconds per
// show and the ratio, and whether the fast shows kept within --budget-ms.
// Exits 1 when the text region builder is less than --min-ratio times faster
// than the per-pixel reference: a ratio holds on a busy shared machine where
// absolute times do not. --monitor N runs the shows with that "Monitor"
// choice (the real monitor calls, one monitor under Wine).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <functional>
#include <vector>

#include "core/text_layout.h"
#include "core/volume_layout.h"
#include "osd_module.h"
#include "osd_state.h"
#include "string_table.h"
#include "per_pixel_reference.h"
#include "region_shaping.h"
#include "vxosd.h"
#include "vxutil.h"

namespace {

using vx::osd::state;

// ---- The shows with the per-pixel reference shapes --------------------------

int cx() { return GetSystemMetrics(SM_CXSCREEN); }
int cy() { return GetSystemMetrics(SM_CYSCREEN); }

void install(HRGN region)
{
    SetWindowRgn(state().display, region, TRUE);
    SetWindowPos(state().display, HWND_TOPMOST, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
}

void unite(HRGN total, HRGN part)
{
    CombineRgn(total, total, part, RGN_OR);
    DeleteObject(part);
}

HBITMAP load_bitmap(int id, BITMAP& info)
{
    HBITMAP bitmap = LoadBitmapA(vx::osd::this_module(), MAKEINTRESOURCEA(id));
    info = BITMAP{};
    GetObjectA(bitmap, sizeof info, &info);
    return bitmap;
}

// The text display: a rectangle as OSD_ShowMuteIcon gives it, or none.
void reference_text_show(const char* text, bool with_rect, int icon_id)
{
    HWND display = state().display;
    HDC window_dc = GetWindowDC(display);
    HFONT font = CreateFontIndirectA(&state().settings.font);
    HDC memory = CreateCompatibleDC(window_dc);
    HGDIOBJ old_font = SelectObject(memory, font);
    vx::osd::Rect r{0, 0, cx(), cy()};
    if (with_rect)
        r = vx::osd::rescale_caller_rect({0, 0, cx() - 40, cy() - 40}, cx(), cy());
    SIZE extent{};
    GetTextExtentPoint32A(memory, text, lstrlenA(text), &extent);
    vx::osd::TextLayoutInput in;
    in.rect = r;
    in.cx = cx();
    in.cy = cy();
    in.text_width = extent.cx;
    in.text_height = extent.cy;
    in.format = DT_SINGLELINE | DT_BOTTOM | DT_RIGHT;
    BITMAP info;
    HBITMAP icon = icon_id ? load_bitmap(icon_id, info) : nullptr;
    in.has_icon = icon != nullptr;
    in.bitmap_width = icon ? info.bmWidth : 0;
    in.bitmap_height = icon ? info.bmHeight : 0;
    const vx::osd::TextLayout l = vx::osd::layout_text(in);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (icon) {
        unite(region, osdtest::per_pixel_bitmap_shape(icon, l.icon.left, l.icon.top, info.bmWidth, info.bmHeight,
                                                      l.icon.width(), l.icon.height(), false));
        DeleteObject(icon);
    }
    unite(region, osdtest::per_pixel_text_shape(memory, text, l.draw, l.format, l.bitmap_width, l.band));
    SelectObject(memory, old_font);
    DeleteDC(memory);
    DeleteObject(font);
    ReleaseDC(display, window_dc);
    install(region);
}

void reference_volume_show(unsigned level)
{
    BITMAP info;
    HBITMAP icon = load_bitmap(101, info);
    vx::osd::ClassicVolumeInput in;
    in.cx = cx();
    in.cy = cy();
    in.level = level;
    in.steps = 32;
    in.maximum = 0xFFFF;
    in.icon_width = info.bmWidth;
    in.icon_height = info.bmHeight;
    const vx::osd::VolumeShape shape = vx::osd::classic_volume(in);
    HRGN region = osdtest::rects_one_by_one(shape.rects.data(), shape.rects.size());
    unite(region, osdtest::per_pixel_bitmap_shape(icon, shape.icon.left, shape.icon.top, info.bmWidth, info.bmHeight,
                                                  shape.icon.width(), shape.icon.height(), false));
    DeleteObject(icon);
    install(region);
}

void reference_volume_ex_show(unsigned level)
{
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    BITMAP info;
    HBITMAP icon = load_bitmap(116, info);
    vx::osd::FramedVolumeInput in;
    in.cx = cx();
    in.cy = cy();
    in.work_bottom = work.bottom;
    in.level = level;
    in.steps = 32;
    in.maximum = 0xFFFF;
    in.icon_width = info.bmWidth;
    in.icon_height = info.bmHeight;
    const vx::osd::VolumeShape shape = vx::osd::framed_volume(in);
    HRGN region = osdtest::rects_one_by_one(shape.rects.data(), shape.rects.size());
    unite(region, osdtest::per_pixel_bitmap_shape(icon, shape.icon.left, shape.icon.top, info.bmWidth, info.bmHeight,
                                                  info.bmWidth, info.bmHeight, true));
    DeleteObject(icon);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HFONT font = CreateFontIndirectA(&state().settings.font);
    HGDIOBJ old_font = SelectObject(memory, font);
    SIZE digits{};
    GetTextExtentPoint32A(memory, "00", 2, &digits);
    const vx::osd::NumberLayout n =
        vx::osd::layout_number(shape.number_box.right, shape.number_box.bottom, digits.cx, digits.cy, cx());
    char count[16];
    std::snprintf(count, sizeof count, "%u", shape.lit);
    unite(region, osdtest::per_pixel_text_shape(memory, count, n.draw, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT,
                                                n.bitmap_width, n.band));
    SelectObject(memory, old_font);
    DeleteObject(font);
    DeleteDC(memory);
    install(region);
}

// ---- Timing -------------------------------------------------------------------

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
    int monitor = 0; // the "Monitor" choice the shows run with
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--budget-ms") && i + 1 < argc)
            budget = std::atof(argv[++i]);
        else if (!std::strcmp(argv[i], "--min-ratio") && i + 1 < argc)
            min_ratio = std::atof(argv[++i]);
        else if (!std::strcmp(argv[i], "--runs") && i + 1 < argc)
            runs = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--monitor") && i + 1 < argc)
            monitor = std::atoi(argv[++i]);
    }
    Reg_InitProfile("Software\\VXKeyboardTest\\OSDTiming", nullptr);
    OSD_Init();
    OSD_InitLockKey();
    OSD_SetMonitor(monitor);
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    std::printf("screen %d x %d, font height %ld, %d runs per fast show, monitor choice %d\n", cx, cy,
                vx::osd::state().settings.font.lfHeight, runs, OSD_GetMonitor());

    char muted[MAX_PATH];
    vx::osd::load_string(1, muted, sizeof muted);
    struct Case {
        const char* name;
        std::function<void()> show;
        std::function<void()> reference;
    } cases[] = {
        {"OSD_ShowMuteIcon", [] { OSD_ShowMuteIcon(1); }, [&] { reference_text_show(muted, true, 102); }},
        {"OSD_ShowString (20 chars)",
         [] { OSD_ShowString("Volume up: level 20%", nullptr, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT); },
         [] { reference_text_show("Volume up: level 20%", false, 0); }},
        {"OSD_ShowVolume", [] { OSD_ShowVolume(0x8000, 32, 0xFFFF); }, [] { reference_volume_show(0x8000); }},
        {"OSD_ShowVolumeEx", [] { OSD_ShowVolumeEx(0x8000, 32, 0xFFFF, 0); }, [] { reference_volume_ex_show(0x8000); }},
    };
    bool over = false;
    bool slow_builder = false;
    std::printf("%-28s %12s %14s %8s\n", "display", "runs ms", "per-pixel ms", "ratio");
    for (const Case& c : cases) {
        const double fast = time_show(c.show, runs);
        const double slow = time_show(c.reference, runs / 8 > 2 ? runs / 8 : 2);
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
        const UINT format = DT_SINGLELINE | DT_BOTTOM | DT_RIGHT;
        struct Part {
            const char* name;
            std::function<HRGN()> build;
            std::function<HRGN()> reference;
        } parts[] = {
            {"text band region", [&] { return vx::osd::shape_of_drawn_text(memory, text, draw, format, cx, band); },
             [&] { return osdtest::per_pixel_text_shape(memory, text, draw, format, cx, band); }},
            {"icon region (scaled 101)",
             [&] { return vx::osd::shape_from_bitmap(icon, 0, 0, 48, 48, iw, ih, vx::osd::Inside::Black); },
             [&] { return osdtest::per_pixel_bitmap_shape(icon, 0, 0, 48, 48, iw, ih, false); }},
        };
        for (const Part& part : parts) {
            const double fast = time_show([&] { DeleteObject(part.build()); }, runs);
            const double slow = time_show([&] { DeleteObject(part.reference()); }, runs / 8 > 2 ? runs / 8 : 2);
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
    OSD_Destroy();
    if (budget > 0)
        std::printf(over ? "over budget: a fast show took longer than %.1f ms\n"
                         : "within budget: every fast show took at most %.1f ms\n",
                    budget);
    if (slow_builder)
        std::printf("the text region builder is less than %.0fx faster than per-pixel\n", min_ratio);
    return slow_builder ? 1 : 0;
}
