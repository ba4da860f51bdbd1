// Thousands of show and hide cycles leave the process's GDI and USER object
// counts where they started.
#include <cstdio>
#include <vector>

#include "display_window.h"
#include "osd_fixture.h"
#include "vxosd.h"

using namespace osdtest;
using vx::osd::state;

namespace {

DWORD gdi_objects() { return GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS); }
DWORD user_objects() { return GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS); }

// Each cycle shows a display and hides it as the hide timer does.
void hide_now()
{
    vx::osd::kill_hide_timer();
    vx::osd::hide_display_and_background();
    state().display_showing = false;
    state().show_string_calls = 0;
}

// GDI objects of this process counted by probing: a leak of a few objects
// per cycle pushes new handles' indices up, so the answer of a fresh
// CreateRectRgn rises with leaks even where GetGuiResources says nothing.
unsigned probe_handle_index()
{
    HRGN probe = CreateRectRgn(0, 0, 1, 1);
    const unsigned index = static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(probe) & 0xFFFF);
    DeleteObject(probe);
    return index;
}

} // namespace

TEST_F(OsdTest, ShowHideCyclesLeakNoObjects)
{
    const int cycles = 10000;
    OSD_SetVolumeBkgColor(RGB(20, 20, 20));
    struct Display {
        const char* name;
        void (*show)(int);
    } displays[] = {
        {"string", [](int i) { OSD_ShowString(i % 2 ? "Leak check" : "0123456789", nullptr, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT); }},
        {"mute", [](int i) { OSD_ShowMuteIcon(i % 2); }},
        {"volume", [](int i) { OSD_ShowVolume(static_cast<unsigned>(i % 100), 32, 100); }},
        {"volume-ex", [](int i) { OSD_ShowVolumeEx(static_cast<unsigned>(i % 100), 32, 100, i % 4); }},
        {"caps", [](int i) { OSD_ShowCapsLk(100, 500, i % 2); }},
        {"mic", [](int i) { OSD_ShowMic(200, 500, i % 2); }},
    };
    // One round first: classes, windows and cached bitmaps come to exist.
    for (const auto& d : displays) {
        d.show(0);
        d.show(1);
        hide_now();
    }
    pump(0);
    // The probe notices leaked objects: Wine's GetGuiResources answers 0.
    {
        const unsigned start = probe_handle_index();
        std::vector<HRGN> leaked;
        for (int i = 0; i < 64; ++i)
            leaked.push_back(CreateRectRgn(0, 0, 1, 1));
        EXPECT_GT(probe_handle_index(), start + 32) << "the probe must see 64 live objects";
        for (HRGN r : leaked)
            DeleteObject(r);
    }
    const DWORD gdi_before = gdi_objects();
    const DWORD user_before = user_objects();
    const unsigned index_before = probe_handle_index();
    for (const auto& d : displays) {
        for (int i = 0; i < cycles; ++i) {
            d.show(i);
            hide_now();
            if (i % 500 == 0)
                pump(0);
        }
        pump(0);
        const unsigned index_after = probe_handle_index();
        std::printf("%-10s %d cycles: GDI objects %lu -> %lu, USER objects %lu -> %lu, probe handle index %u -> %u\n",
                    d.name, cycles, gdi_before, gdi_objects(), user_before, user_objects(), index_before, index_after);
        EXPECT_EQ(gdi_before, gdi_objects()) << d.name;
        EXPECT_EQ(user_before, user_objects()) << d.name;
        EXPECT_LE(index_after, index_before + 16) << d.name;
    }
}
