// Times the OSD shows on the screen this program runs on, with
// QueryPerformanceCounter, against two yardsticks measured in the same loop:
//
// - the floor: installing the show's own region on the display window that
//   is already up (SetWindowRgn + SetWindowPos), the least any show costs;
// - the per-pixel reference: the same layout with its shapes combined pixel
//   by pixel, installed the same way.
//
// Each round times one show, one floor and one reference, each installing a
// region other than the one up before it (every case cycles through several
// states: levels, texts, mute on and off), so the three see the same load on
// a shared machine and the same kind of work in the window system. Prints the
// median milliseconds of each, the ratios, and one summary line; exits 1 when
// a show costs more than --max-floor-ratio times its floor or a text or icon
// show is less than --min-reference-ratio times faster than its reference.
// Absolute times only go to the output: they swing with the machine's load.
// --monitor N runs the shows with that "Monitor" choice; --composed on|off
// has the shows take the desktop as composed or not (by default they ask
// the system), so both repaint paths of a shrinking show can be timed.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/text_layout.h"
#include "core/volume_layout.h"
#include "osd_module.h"
#include "osd_state.h"
#include "per_pixel_reference.h"
#include "platform/desktop_seam.h"
#include "region_shaping.h"
#include "string_table.h"
#include "vxosd.h"
#include "vxutil.h"

namespace {

using vx::osd::state;

constexpr UINT kShowFlags = SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE;
constexpr UINT kRightBottom = DT_SINGLELINE | DT_BOTTOM | DT_RIGHT;

HRESULT WINAPI composed(BOOL* on)
{
    *on = TRUE;
    return S_OK;
}
HRESULT WINAPI not_composed(BOOL* on)
{
    *on = FALSE;
    return S_OK;
}

int cx() { return GetSystemMetrics(SM_CXSCREEN); }
int cy() { return GetSystemMetrics(SM_CYSCREEN); }

// ---- The shows with the per-pixel reference shapes --------------------------

void install(HRGN region)
{
    SetWindowRgn(state().display, region, TRUE);
    SetWindowPos(state().display, HWND_TOPMOST, 0, 0, 0, 0, kShowFlags);
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

// The text display: with the rectangle OSD_ShowMuteIcon gives, or none.
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
    in.format = kRightBottom;
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
    unite(region, osdtest::per_pixel_text_shape(memory, count, n.draw, kRightBottom, n.bitmap_width, n.band));
    SelectObject(memory, old_font);
    DeleteObject(font);
    DeleteDC(memory);
    install(region);
}

// ---- Timing -------------------------------------------------------------------

double now_ms()
{
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Lets the window system finish what a step started (painting).
void pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

// Milliseconds of one step until the window system is done with it: the
// messages it leaves (its painting) are dispatched inside the time.
double timed(const std::function<void()>& step)
{
    // A string display from the seventh call on is not replaced while one
    // is up; the harness times replacing it.
    state().show_string_calls = 0;
    const double start = now_ms();
    step();
    pump();
    return now_ms() - start;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

HRGN copy_of(HRGN region)
{
    HRGN copy = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(copy, region, nullptr, RGN_COPY);
    return copy;
}

// One display in `states` variants, each showing another region.
struct Case {
    const char* name;
    bool text_or_icon; // held to the per-pixel reference goal
    int states;
    std::function<void(int)> show;
    std::function<void(int)> reference;
};

struct Result {
    double show = 0, floor = 0, reference = 0;
    int rects = 0;
};

int rect_count(HRGN region)
{
    const DWORD size = GetRegionData(region, 0, nullptr);
    std::vector<BYTE> buffer(size);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    return size && GetRegionData(region, size, data) ? static_cast<int>(data->rdh.nCount) : 0;
}

Result time_case(const Case& c, int runs)
{
    HWND display = state().display;
    // The region each state shows, as the floor installs it.
    std::vector<HRGN> regions;
    for (int i = 0; i < c.states; ++i) {
        c.show(i);
        pump();
        display = state().display;
        HRGN r = CreateRectRgn(0, 0, 0, 0);
        GetWindowRgn(display, r);
        regions.push_back(r);
    }
    std::vector<double> shows, floors, references;
    Result result;
    for (int run = 0; run < runs; ++run) {
        const int i = run % c.states;
        const int other = (i + 1) % c.states;
        shows.push_back(timed([&] { c.show(i); }));
        HRGN region = copy_of(regions[static_cast<std::size_t>(other)]);
        floors.push_back(timed([&] {
            SetWindowRgn(display, region, TRUE);
            SetWindowPos(display, HWND_TOPMOST, 0, 0, 0, 0, kShowFlags);
        }));
        references.push_back(timed([&] { c.reference(i); }));
        result.rects += rect_count(regions[static_cast<std::size_t>(i)]);
    }
    for (HRGN r : regions)
        DeleteObject(r);
    result.show = median(shows);
    result.floor = median(floors);
    result.reference = median(references);
    result.rects /= runs;
    return result;
}

// The steps a show is made of, alone, for finding where its time goes.
void time_parts(int runs)
{
    auto part = [&](const char* name, const std::function<void()>& step) {
        std::vector<double> times;
        for (int i = 0; i < runs; ++i)
            times.push_back(timed(step));
        std::printf("  %-34s %9.3f\n", name, median(times));
    };
    HWND display = state().display;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HFONT font = CreateFontIndirectA(&state().settings.font);
    HGDIOBJ old_font = SelectObject(memory, font);
    const char* text = "Volume up: level 20%";
    SIZE extent{};
    GetTextExtentPoint32A(memory, text, lstrlenA(text), &extent);
    const vx::osd::Rect band{cx() - extent.cx - 40, cy() - extent.cy, cx(), cy()};
    const vx::osd::Rect draw{40, 0, cx(), cy()};
    HBITMAP icon = LoadBitmapA(vx::osd::this_module(), MAKEINTRESOURCEA(101));
    const int iw = 48 * cx() / 1024;
    const int ih = 48 * cy() / 768;
    std::printf("parts of a show (median ms):\n");
    part("text band region", [&] { DeleteObject(vx::osd::shape_of_drawn_text(memory, text, draw, kRightBottom, cx(), band)); });
    part("text band region, per pixel",
         [&] { DeleteObject(osdtest::per_pixel_text_shape(memory, text, draw, kRightBottom, cx(), band)); });
    part("icon region (scaled 101)",
         [&] { DeleteObject(vx::osd::shape_from_bitmap(icon, 0, 0, 48, 48, iw, ih, vx::osd::Inside::Black)); });
    part("icon region, per pixel",
         [&] { DeleteObject(osdtest::per_pixel_bitmap_shape(icon, 0, 0, 48, 48, iw, ih, false)); });
    part("LoadBitmapA", [&] { DeleteObject(LoadBitmapA(vx::osd::this_module(), MAKEINTRESOURCEA(102))); });
    part("font: create, select, delete", [&] {
        HFONT f = CreateFontIndirectA(&state().settings.font);
        HGDIOBJ old = SelectObject(memory, f);
        SelectObject(memory, old);
        DeleteObject(f);
    });
    part("GetSystemMetrics (2 values)", [] {
        (void)cx();
        (void)cy();
    });
    part("GetWindowDC + ReleaseDC", [&] { ReleaseDC(display, GetWindowDC(display)); });
    // The window calls, with a show's region up.
    OSD_ShowMuteIcon(1);
    pump();
    HRGN shown = CreateRectRgn(0, 0, 0, 0);
    GetWindowRgn(display, shown);
    part("SetWindowRgn, the region up again", [&] { SetWindowRgn(display, copy_of(shown), TRUE); });
    part("SetWindowPos on the top display", [&] { SetWindowPos(display, HWND_TOPMOST, 0, 0, 0, 0, kShowFlags); });
    part("one-rectangle region + SetWindowPos", [&] {
        SetWindowRgn(display, CreateRectRgn(cx() / 2, cy() - 80, cx() / 2 + 300, cy() - 40), TRUE);
        SetWindowPos(display, HWND_TOPMOST, 0, 0, 0, 0, kShowFlags);
    });
    DeleteObject(shown);
    DeleteObject(icon);
    SelectObject(memory, old_font);
    DeleteObject(font);
    DeleteDC(memory);
}

} // namespace

int main(int argc, char** argv)
{
    double max_floor_ratio = 0;
    double min_reference_ratio = 0;
    int runs = 40;
    int monitor = 0; // the "Monitor" choice the shows run with
    bool parts = true;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--max-floor-ratio") && i + 1 < argc)
            max_floor_ratio = std::atof(argv[++i]);
        else if (!std::strcmp(argv[i], "--min-reference-ratio") && i + 1 < argc)
            min_reference_ratio = std::atof(argv[++i]);
        else if (!std::strcmp(argv[i], "--runs") && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--monitor") && i + 1 < argc)
            monitor = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--no-parts"))
            parts = false;
        else if (!std::strcmp(argv[i], "--composed") && i + 1 < argc)
            vx::osd::platform::desktop().DwmIsCompositionEnabled =
                !std::strcmp(argv[++i], "on") ? composed : not_composed;
    }
    BOOL composition = FALSE;
    vx::osd::platform::desktop().DwmIsCompositionEnabled(&composition);
    Reg_InitProfile("Software\\VXKeyboardTest\\OSDTiming", nullptr);
    OSD_Init();
    OSD_InitLockKey();
    OSD_SetMonitor(monitor);
    std::printf("screen %d x %d, font height %ld, %d runs per show, monitor choice %d, desktop %s\n", cx(), cy(),
                state().settings.font.lfHeight, runs, OSD_GetMonitor(), composition ? "composed" : "not composed");

    char mute_text[2][MAX_PATH];
    vx::osd::load_string(vx::osd::kMuteOffString, mute_text[0], MAX_PATH);
    vx::osd::load_string(vx::osd::kMuteOnString, mute_text[1], MAX_PATH);
    // Strings that differ in their digits, as a host's messages do; more of
    // them than VXOSD keeps the shapes of, so each show draws its text.
    std::vector<std::string> strings;
    for (int i = 0; i < 48; ++i)
        strings.push_back("Volume up: level " + std::to_string(20 + i) + "%");
    // Levels a held volume key passes through.
    auto level = [](int i) { return static_cast<unsigned>(0x1000 + i * 2730); };
    const Case cases[] = {
        {"OSD_ShowMuteIcon", true, 2, [](int i) { OSD_ShowMuteIcon(i); },
         [&](int i) { reference_text_show(mute_text[i], true, i ? 102 : 101); }},
        {"OSD_ShowString", true, static_cast<int>(strings.size()),
         [&](int i) { OSD_ShowString(strings[static_cast<std::size_t>(i)].c_str(), nullptr, kRightBottom); },
         [&](int i) { reference_text_show(strings[static_cast<std::size_t>(i)].c_str(), false, 0); }},
        {"OSD_ShowVolume", false, 8, [&](int i) { OSD_ShowVolume(level(i), 32, 0xFFFF); },
         [&](int i) { reference_volume_show(level(i)); }},
        {"OSD_ShowVolumeEx", false, 8, [&](int i) { OSD_ShowVolumeEx(level(i), 32, 0xFFFF, 0); },
         [&](int i) { reference_volume_ex_show(level(i)); }},
    };

    std::printf("%-18s %6s %9s %9s %11s %9s %11s\n", "display", "rects", "show ms", "floor ms", "show/floor",
                "ref. ms", "ref./show");
    double worst_floor = 0, least_reference = 1e9;
    const char* worst_floor_name = "";
    const char* least_reference_name = "";
    for (const Case& c : cases) {
        const Result r = time_case(c, runs);
        const double to_floor = r.show / r.floor;
        const double to_reference = r.reference / r.show;
        std::printf("%-18s %6d %9.3f %9.3f %10.2fx %9.3f %10.1fx\n", c.name, r.rects, r.show, r.floor, to_floor,
                    r.reference, to_reference);
        std::fflush(stdout);
        if (to_floor > worst_floor) {
            worst_floor = to_floor;
            worst_floor_name = c.name;
        }
        if (c.text_or_icon && to_reference < least_reference) {
            least_reference = to_reference;
            least_reference_name = c.name;
        }
    }
    if (parts)
        time_parts(runs);
    OSD_Destroy();

    const bool too_slow_for_floor = max_floor_ratio > 0 && worst_floor > max_floor_ratio;
    const bool too_slow_for_reference = min_reference_ratio > 0 && least_reference < min_reference_ratio;
    std::printf("summary %d x %d: worst show/floor %.2fx (%s)%s, smallest reference/show %.1fx (%s)%s\n", cx(), cy(),
                worst_floor, worst_floor_name, too_slow_for_floor ? " ABOVE THE LIMIT" : "", least_reference,
                least_reference_name, too_slow_for_reference ? " BELOW THE LIMIT" : "");
    return too_slow_for_floor || too_slow_for_reference ? 1 : 0;
}
