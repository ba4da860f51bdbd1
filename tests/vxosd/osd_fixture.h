// Shared set-up of the VXOSD tests: a private profile root, an initialised
// display, a message pump, captured debug strings and region helpers.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "osd_state.h"
#include "platform/seam.h"
#include "platform/version_language_seam.h"
#include "region_shaping.h"

namespace osdtest {

// The profile root of this test process (test programs may run at the same
// time in one Wine prefix), and the user layer's "OSD" key under it.
const char* profile_root();
const char* user_section();
inline constexpr char kUser[] = "tester";

// Debug strings written while a DebugCapture lives.
class DebugCapture {
public:
    DebugCapture();
    const std::vector<std::string>& lines() const;
    bool saw(const std::string& text) const;
    void clear();

private:
    vx::platform::SeamOverride<void(WINAPI*)(LPCSTR)> guard_;
};

// Runs the thread's message loop for `ms` milliseconds (timers fire).
void pump(DWORD ms);
// Runs it until `done` or `limit_ms`; returns done().
template <class F>
bool pump_until(F done, DWORD limit_ms)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > limit_ms)
            return false;
        pump(10);
    }
    return true;
}

// The DPI the desktop runs at (what displays on the primary monitor are laid
// out for), and the conversions expectations are written with: the rules
// hold in logical units (96 per inch) and are drawn in physical pixels.
int screen_dpi();
int px(int logical);
RECT px(const RECT& logical);
int logical(int physical);
int logical_cx();
int logical_cy();

// Removes the test's profile values.
void clear_profile();
void set_number(const char* name, int value);
void delete_value(const char* name);
bool read_number(const char* name, int& value);

// The top-level window of this process with that class and title: other
// test programs may run at the same time on the same Wine desktop.
HWND find_own_window(const char* cls, const char* title);

// The display window's current region (caller deletes), or null.
HRGN display_region();
// Number of pixels of a region.
long long region_area(HRGN region);

class OsdTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Reloads the settings after changing profile values.
    void reload();
    HWND display() const { return vx::osd::state().display; }
    bool display_visible() const { return display() && IsWindowVisible(display()); }
};

} // namespace osdtest
