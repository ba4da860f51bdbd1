// Thousands of show and hide cycles leave the process's GDI and USER object
// counts where they started.
#include <algorithm>
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

// Live GDI objects of this process (plus a constant), read from the handle
// table where GetGuiResources answers 0 (Wine): a new handle takes the most
// recently freed entry first and a never used one only when no entry is
// free, so once kProbe new regions have taken every free entry, the highest
// entry among them lies kProbe above the count of live objects.
unsigned live_gdi_objects()
{
    constexpr unsigned kProbe = 4096;
    std::vector<HRGN> probe;
    unsigned highest = 0;
    for (unsigned i = 0; i < kProbe; ++i) {
        HRGN region = CreateRectRgn(0, 0, 1, 1);
        if (!region)
            break;
        probe.push_back(region);
        highest = std::max(highest, static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(region) & 0xFFFF));
    }
    for (HRGN region : probe)
        DeleteObject(region);
    return highest - kProbe;
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
        const unsigned start = live_gdi_objects();
        std::vector<HRGN> leaked;
        for (int i = 0; i < 64; ++i)
            leaked.push_back(CreateRectRgn(0, 0, 1, 1));
        EXPECT_EQ(start + 64, live_gdi_objects()) << "the probe must see 64 live objects";
        for (HRGN r : leaked)
            DeleteObject(r);
    }
    const DWORD gdi_before = gdi_objects();
    const DWORD user_before = user_objects();
    const unsigned live_before = live_gdi_objects();
    for (const auto& d : displays) {
        for (int i = 0; i < cycles; ++i) {
            d.show(i);
            hide_now();
            if (i % 500 == 0)
                pump(0);
        }
        pump(0);
        const unsigned live_after = live_gdi_objects();
        std::printf("%-10s %d cycles: GDI objects %lu -> %lu, USER objects %lu -> %lu, live GDI objects (probe) %u -> %u\n",
                    d.name, cycles, gdi_before, gdi_objects(), user_before, user_objects(), live_before, live_after);
        EXPECT_EQ(gdi_before, gdi_objects()) << d.name;
        EXPECT_EQ(user_before, user_objects()) << d.name;
        EXPECT_LE(live_after, live_before + 16) << d.name;
    }
}
