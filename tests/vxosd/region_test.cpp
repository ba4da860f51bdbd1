// The fast region builder gives exactly the region of the per-pixel method.
#include <cstring>
#include <functional>

#include "osd_fixture.h"
#include "vxosd.h"

using namespace osdtest;
using vx::osd::RegionMethod;
using vx::osd::set_region_method;
using vx::osd::state;
using vx::platform::SeamOverride;

namespace {

int WINAPI yes() { return 1; }

class OsdRegions : public OsdTest {
protected:
    // The display's region after `show` with each method.
    void expect_same_region(const std::function<void()>& show, long long min_area = 1)
    {
        set_region_method(RegionMethod::PerPixel);
        show();
        HRGN reference = display_region();
        set_region_method(RegionMethod::Runs);
        show();
        HRGN fast = display_region();
        ASSERT_NE(nullptr, reference);
        ASSERT_NE(nullptr, fast);
        EXPECT_TRUE(EqualRgn(reference, fast));
        // Stored identically too: both end in the same banded rectangles.
        const DWORD size = GetRegionData(fast, 0, nullptr);
        EXPECT_EQ(GetRegionData(reference, 0, nullptr), size);
        EXPECT_GE(region_area(fast), min_area);
        DeleteObject(reference);
        DeleteObject(fast);
    }
    void use_font(const char* face, int height, int weight = FW_NORMAL, BYTE italic = 0)
    {
        auto& f = state().settings.font;
        f.lfHeight = height;
        f.lfWeight = weight;
        f.lfItalic = italic;
        lstrcpynA(f.lfFaceName, face, LF_FACESIZE);
    }
};

} // namespace

TEST_F(OsdRegions, MuteDisplayInBothStates)
{
    expect_same_region([] { OSD_ShowMuteIcon(1); }, 500);
    expect_same_region([] { OSD_ShowMuteIcon(0); }, 500);
}

TEST_F(OsdRegions, StringsInSeveralFonts)
{
    struct Font {
        const char* face;
        int height;
        int weight;
        BYTE italic;
    } fonts[] = {{"Arial", -37, FW_NORMAL, 0},
                 {"Arial", -12, FW_BOLD, 0},
                 {"Times New Roman", -60, FW_NORMAL, 1},
                 {"Courier New", -28, FW_NORMAL, 0}};
    for (const Font& f : fonts) {
        SCOPED_TRACE(f.face);
        use_font(f.face, f.height, f.weight, f.italic);
        expect_same_region([] { OSD_ShowString("Volume 20 characters", nullptr, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT); },
                           100);
        expect_same_region(
            [] {
                RECT r{0, 0, 700, 400};
                OSD_ShowString("Text long enough to be cut at the left margin of the rectangle it is given", &r,
                               DT_SINGLELINE | DT_BOTTOM | DT_RIGHT);
            },
            100);
        state().show_string_calls = 0;
    }
}

TEST_F(OsdRegions, VolumeDisplaysAtSeveralLevels)
{
    for (unsigned level : {0u, 33u, 0xFFFFu}) {
        expect_same_region([&] { OSD_ShowVolume(level, 32, 0xFFFF); }, 100);
        expect_same_region([&] { OSD_ShowVolumeEx(level, 32, 0xFFFF, 1); }, 100);
    }
    SeamOverride<int(WINAPI*)()> xp(vx::osd::platform::os().IsWinXP, yes);
    expect_same_region([] { OSD_ShowVolumeEx(0x8000, 16, 0xFFFF, 3); }, 100);
}
