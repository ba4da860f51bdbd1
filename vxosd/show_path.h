// One show, from an export to the screen. Every export that shows something
// describes its show as a Show and runs it here, so every display and
// indicator takes the same steps in the same order:
//
//   window ready, monitor chosen, full-screen rule, layout and region,
//   background, topmost and raise, timer, announcement
//
// and the settings that change what a show does ("Enabled", "FullScreen",
// "Announce"; "Monitor" through choose_screen) are decided here only.
#pragma once
#include <windows.h>

#include <string>

#include "announcer.h"
#include "display_placement.h"

namespace vx::osd {

class Show {
public:
    virtual ~Show() = default;

    // Whether "Enabled" at 0 stops the show (the indicators show anyway).
    virtual bool obeys_enabled() const { return true; }
    // Window ready: makes sure the window can be shown; false stops the show.
    virtual bool ready() = 0;
    // The monitor the picture would appear on, for the full-screen rule.
    virtual RECT destination(const ScreenArea& screen) const { return screen.monitor; }
    // What the export answers when "FullScreen" leaves the picture out: what
    // a shown one answers.
    virtual int left_out_result() const { return 1; }
    // Layout and region: lays the picture out on `screen` and gives its
    // window the shape; false when nothing can be shown (what was showing
    // goes).
    virtual bool lay_out(const ScreenArea& screen) = 0;
    // Background: puts up, moves or hides the volume background (and any
    // picture this one takes the place of).
    virtual void background(const ScreenArea& screen) = 0;
    // Topmost and raise, without activation.
    virtual void raise() = 0;
    // Timer: arms the window's hide timer; returns the export's result.
    virtual int arm_timer() = 0;
    // The window showing the picture; null when there is none (left out
    // before it was ever made).
    virtual HWND window() const = 0;
    // The text assistive technology is told, and when.
    virtual std::u16string announcement() const = 0;
    virtual Timing announcement_timing() const { return Timing::Now; }
};

// Runs the show's steps; returns its export's result (0 when disabled or
// nothing could be shown).
int run_show(Show& show);

// The steps every show on the display window (texts, volume) shares; a
// picture supplies its shape and background.
class DisplayShow : public Show {
public:
    bool ready() override;
    bool lay_out(const ScreenArea& screen) override;
    void raise() override;
    int arm_timer() override;
    HWND window() const override;

protected:
    // The display window's new region for `screen` (window-relative); null
    // when it cannot be made.
    virtual HRGN shape(const ScreenArea& screen) = 0;
    // The volume displays arm the hide timer even while the display is kept
    // showing (the timer then hides nothing); a text display does not.
    bool timer_while_kept_ = false;
};

} // namespace vx::osd
