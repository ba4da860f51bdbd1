// The NumLock, CapsLock, ScrollLock and microphone indicators: small bitmap
// windows of their own, shown for the OSD duration.
#include <windows.h>

#include "announcement.h"
#include "display_placement.h"
#include "display_window.h"
#include "dpi.h"
#include "indicators.h"
#include "osd_module.h"
#include "osd_state.h"
#include "show_path.h"
#include "vxosd.h"

namespace vx::osd {
namespace {

struct IndicatorInfo {
    const char* class_name;
    const char* title;
    int bitmap_set;
    int bitmap_clear;
    UINT_PTR timer;
    const char* hidden;
};

constexpr IndicatorInfo kInfo[kIndicatorCount] = {
    {"VX_OSD_NUMLK_WNDCLASS", "VX_OSD_NUMLK_WND", 107, 109, 10, "NumLk OSD is hidden\n"},
    {"VX_OSD_CAPSLK_WNDCLASS", "VX_OSD_CAPSLK_WND", 106, 108, 11, "CapsLk OSD is hidden\n"},
    {"VX_OSD_SCRLLK_WNDCLASS", "VX_OSD_SCRLLK_WND", 117, 118, 11, "ScrlLk OSD is hidden\n"},
    {"VX_OSD_MIC_WNDCLASS", "VX_OSD_MIC_WND", 115, 114, 12, "Mic OSD is hidden\n"},
};

// The indicators' class background, never seen: the bitmap covers the window.
constexpr COLORREF kIndicatorBrushColor = 6;

HBITMAP load_bitmap(int id) { return LoadBitmapA(this_module(), MAKEINTRESOURCEA(id)); }

void free_bitmaps(Indicator& ind)
{
    if (ind.on)
        DeleteObject(ind.on);
    if (ind.off)
        DeleteObject(ind.off);
    ind.on = ind.off = nullptr;
}

template <int K>
LRESULT CALLBACK indicator_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    Indicator& ind = state().indicators[K];
    switch (message) {
    case WM_CREATE: {
        HDC dc = GetDC(window);
        ind.memory_dc = CreateCompatibleDC(dc);
        ReleaseDC(window, dc);
        ind.original = nullptr;
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        HBITMAP& picture = ind.state ? ind.on : ind.off;
        if (!picture)
            picture = load_bitmap(ind.state ? kInfo[K].bitmap_set : kInfo[K].bitmap_clear);
        if (ind.memory_dc && picture) {
            HGDIOBJ previous = SelectObject(ind.memory_dc, picture);
            if (!ind.original)
                ind.original = previous;
            RECT client;
            GetClientRect(window, &client);
            // Laid out for another DPI than the picture's 96, the window is
            // larger or smaller: every picture pixel becomes a block of
            // whole screen pixels.
            BITMAP size{};
            GetObjectA(picture, sizeof size, &size);
            if (size.bmWidth == client.right && size.bmHeight == client.bottom) {
                BitBlt(dc, 0, 0, client.right, client.bottom, ind.memory_dc, 0, 0, SRCCOPY);
            } else {
                SetStretchBltMode(dc, COLORONCOLOR);
                StretchBlt(dc, 0, 0, client.right, client.bottom, ind.memory_dc, 0, 0, size.bmWidth, size.bmHeight,
                           SRCCOPY);
            }
        }
        EndPaint(window, &ps);
        return 0;
    }
    case WM_DISPLAYCHANGE:
        // Placed for the old screen, it could now be off-screen: it closes
        // at once like the display window, and the next show places it anew.
        DestroyWindow(window);
        return 0;
    case WM_MOUSEACTIVATE:
        return kClickActivation;
    case WM_DESTROY:
        if (ind.memory_dc) {
            if (ind.original)
                SelectObject(ind.memory_dc, ind.original);
            DeleteDC(ind.memory_dc);
        }
        free_bitmaps(ind);
        ind.memory_dc = nullptr;
        ind.original = nullptr;
        ind.window = nullptr;
        return 0;
    default:
        return DefWindowProcA(window, message, wparam, lparam);
    }
}

template <int K>
void CALLBACK indicator_timer(HWND window, UINT, UINT_PTR id, DWORD)
{
    Indicator& ind = state().indicators[K];
    if (window != ind.window)
        return;
    KillTimer(window, id);
    ShowWindow(window, SW_HIDE);
    debug_string(kInfo[K].hidden);
}

constexpr WNDPROC kProcs[kIndicatorCount] = {indicator_proc<0>, indicator_proc<1>, indicator_proc<2>,
                                             indicator_proc<3>};
constexpr TIMERPROC kTimers[kIndicatorCount] = {indicator_timer<0>, indicator_timer<1>, indicator_timer<2>,
                                                indicator_timer<3>};

void register_indicator_class(int k)
{
    WNDCLASSA existing{};
    if (GetClassInfoA(this_module(), kInfo[k].class_name, &existing))
        return;
    WNDCLASSA wc{};
    wc.lpfnWndProc = kProcs[k];
    wc.hInstance = this_module();
    wc.hbrBackground = CreateSolidBrush(kIndicatorBrushColor);
    wc.lpszClassName = kInfo[k].class_name;
    // A brush the system did not take (registration failed) is ours to free.
    if (!RegisterClassA(&wc) && wc.hbrBackground)
        DeleteObject(wc.hbrBackground);
}

// With a "Monitor" choice the caller's corner is taken on the chosen
// monitor; an indicator made on another monitor moves to the same place on
// this one. Fills `to` and answers the SetWindowPos flag that keeps the
// window where it is otherwise.
UINT follow_monitor(Indicator& ind, const ScreenArea& screen, SIZE size, POINT& to)
{
    if (same_rect(ind.monitor, screen.monitor))
        return SWP_NOMOVE;
    to = indicator_corner(screen, ind.corner.x, ind.corner.y, size.cx, size.cy);
    ind.monitor = screen.monitor;
    return 0;
}

// The window's size at the show's DPI: the picture's, in logical units.
SIZE indicator_size(const Indicator& ind, DpiScale dpi)
{
    BITMAP picture{};
    if (ind.on)
        GetObjectA(ind.on, sizeof picture, &picture);
    return SIZE{dpi.px(picture.bmWidth), dpi.px(picture.bmHeight)};
}

// An indicator made for another DPI takes this one's size; its bottom-left
// corner stays where it is unless the show moves it anyway. Answers the
// SetWindowPos flag that keeps the size otherwise.
UINT fit_to_dpi(HWND window, SIZE size, UINT& keep_place, POINT& to)
{
    RECT r{};
    GetWindowRect(window, &r);
    if (r.right - r.left == size.cx && r.bottom - r.top == size.cy)
        return SWP_NOSIZE;
    if (keep_place) {
        to = POINT{r.left, r.bottom - size.cy};
        keep_place = 0;
    }
    return 0;
}

// A lock key's or the microphone's picture in its own window, made at the
// caller's bottom-left corner and left there by later shows ("Monitor" 0),
// or kept on the chosen monitor.
class IndicatorShow : public Show {
public:
    IndicatorShow(int k, int x, int y, bool on) : k_(k), x_(x), y_(y), on_(on) {}

private:
    bool obeys_enabled() const override { return false; }
    bool ready() override
    {
        Indicator& ind = state().indicators[k_];
        if (!ind.window || !IsWindow(ind.window)) {
            ind.window = nullptr;
            // OSD_Destroy unregistered the class; a later show works again.
            register_indicator_class(k_);
        }
        return true;
    }
    // "Monitor" 0 puts it at the caller's corner, on whichever monitor that is.
    RECT destination(const ScreenArea& screen) const override
    {
        return state().settings.monitor == kPrimaryMonitor ? monitor_at(POINT{x_, y_ - 1}) : screen.monitor;
    }
    // What SetTimer gives a shown indicator.
    int left_out_result() const override { return static_cast<int>(kInfo[k_].timer); }
    bool lay_out(const ScreenArea& screen) override
    {
        Indicator& ind = state().indicators[k_];
        on_chosen_monitor_ = state().settings.monitor != kPrimaryMonitor;
        screen_ = screen;
        if (!ind.window)
            create(ind, on_chosen_monitor_ ? screen : ScreenArea{}, screen.dpi);
        ind.state = on_;
        if (ind.window)
            InvalidateRect(ind.window, nullptr, FALSE);
        return true;
    }
    // An indicator takes the place of a volume or text display.
    void background(const ScreenArea&) override
    {
        const OsdState& s = state();
        if (s.display_ever_created || s.background_ever_created)
            hide_display_and_background();
    }
    void raise() override
    {
        Indicator& ind = state().indicators[k_];
        if (!ind.window)
            return;
        POINT to{};
        const SIZE size = indicator_size(ind, screen_.dpi);
        UINT keep_place = on_chosen_monitor_ ? follow_monitor(ind, screen_, size, to) : static_cast<UINT>(SWP_NOMOVE);
        const UINT keep_size = fit_to_dpi(ind.window, size, keep_place, to);
        SetWindowPos(ind.window, HWND_TOPMOST, to.x, to.y, size.cx, size.cy,
                     keep_size | keep_place | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    int arm_timer() override
    {
        HWND window = state().indicators[k_].window;
        return window ? static_cast<int>(SetTimer(window, kInfo[k_].timer, duration_ms(), kTimers[k_])) : 0;
    }
    HWND window() const override { return state().indicators[k_].window; }
    std::u16string announcement() const override
    {
        return indicator_announcement(static_cast<IndicatorKind>(k_), on_);
    }

    void create(Indicator& ind, const ScreenArea& screen, DpiScale dpi)
    {
        const IndicatorInfo& info = kInfo[k_];
        if (!ind.on)
            ind.on = load_bitmap(info.bitmap_set);
        if (!ind.off)
            ind.off = load_bitmap(info.bitmap_clear);
        const SIZE size = indicator_size(ind, dpi);
        ind.state = on_;
        // Where the caller asked for it, kept for a move to another monitor
        // (none with "Monitor" 0: the window stays where it was made).
        ind.corner = POINT{x_, y_};
        ind.monitor = screen.monitor;
        const POINT corner =
            on_chosen_monitor_ ? indicator_corner(screen, x_, y_, size.cx, size.cy) : POINT{x_, y_ - size.cy};
        ind.window = CreateWindowExA(WS_EX_TOOLWINDOW, info.class_name, info.title, WS_POPUP, corner.x, corner.y,
                                     size.cx, size.cy, nullptr, nullptr, this_module(), nullptr);
        if (ind.window) {
            ShowWindow(ind.window, SW_SHOWNOACTIVATE);
            UpdateWindow(ind.window);
        } else {
            free_bitmaps(ind);
        }
    }

    int k_, x_, y_;
    bool on_;
    bool on_chosen_monitor_ = false;
    ScreenArea screen_;
};

} // namespace

void unregister_indicator_classes()
{
    for (const IndicatorInfo& info : kInfo)
        UnregisterClassA(info.class_name, this_module());
}

void hide_indicators()
{
    for (Indicator& ind : state().indicators) {
        if (ind.window && IsWindow(ind.window))
            ShowWindow(ind.window, SW_HIDE);
    }
}

} // namespace vx::osd

using namespace vx::osd;

namespace {

int show_indicator(IndicatorKind kind, int x, int y, int on)
{
    IndicatorShow show(kind, x, y, on != 0);
    return run_show(show);
}

} // namespace

extern "C" int WINAPI OSD_InitLockKey(void)
{
    for (int k = 0; k < kIndicatorCount; ++k)
        register_indicator_class(k);
    return 1;
}

extern "C" int WINAPI OSD_ShowNumLk(int x, int y, int on) { return show_indicator(kNumLock, x, y, on); }
extern "C" int WINAPI OSD_ShowCapsLk(int x, int y, int on) { return show_indicator(kCapsLock, x, y, on); }
extern "C" int WINAPI OSD_ShowScrlLk(int x, int y, int on) { return show_indicator(kScrollLock, x, y, on); }
extern "C" int WINAPI OSD_ShowMic(int x, int y, int on) { return show_indicator(kMicrophone, x, y, on); }
