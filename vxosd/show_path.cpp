#include "show_path.h"

#include "announcement.h"
#include "display_window.h"
#include "osd_state.h"

namespace vx::osd {
namespace {

// While a picture is up with "FullScreen" on, its window looks now and then
// whether a program went full screen on its monitor since, and then goes.
constexpr UINT_PTR kFullScreenWatch = 20;
constexpr UINT kFullScreenWatchPeriod = 250;

void take_down(HWND window)
{
    OsdState& s = state();
    if (window != s.display) {
        ShowWindow(window, SW_HIDE);
        return;
    }
    kill_hide_timer();
    hide_display_and_background();
    s.display_showing = false;
}

void CALLBACK watch_full_screen(HWND window, UINT, UINT_PTR id, DWORD)
{
    const OsdState& s = state();
    if (!IsWindowVisible(window) || !s.settings.full_screen) {
        KillTimer(window, id);
        return;
    }
    const RECT monitor = window == s.display ? s.display_rect : monitor_of_window(window);
    if (!left_out_for_full_screen(monitor))
        return;
    KillTimer(window, id);
    take_down(window);
}

} // namespace

int run_show(Show& show)
{
    const Settings& settings = state().settings;
    if (show.obeys_enabled() && !settings.enabled)
        return 0;
    if (!show.ready())
        return 0;
    const ScreenArea screen = choose_screen();
    int result = 0;
    if (settings.full_screen && left_out_for_full_screen(show.destination(screen))) {
        result = show.left_out_result();
    } else {
        if (!show.lay_out(screen))
            return 0;
        show.background(screen);
        show.raise();
        result = show.arm_timer();
        if (!result)
            return 0;
        if (settings.full_screen)
            SetTimer(show.window(), kFullScreenWatch, kFullScreenWatchPeriod, watch_full_screen);
    }
    if (settings.announce)
        announce(show.announcement(), show.announcement_timing());
    return result;
}

bool DisplayShow::ready() { return ensure_display_window() != nullptr; }

HWND DisplayShow::window() const { return state().display; }

bool DisplayShow::lay_out(const ScreenArea& screen)
{
    place_display(state().display, screen);
    HRGN region = shape(screen);
    if (!region) {
        show_nothing();
        return false;
    }
    kill_hide_timer();
    if (!set_display_region(region)) {
        show_nothing();
        return false;
    }
    return true;
}

void DisplayShow::raise() { raise_display(); }

int DisplayShow::arm_timer()
{
    OsdState& s = state();
    if (timer_while_kept_ || !s.keep_showing)
        arm_hide_timer();
    s.display_showing = true;
    return 1;
}

} // namespace vx::osd
