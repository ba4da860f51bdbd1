// What a person sees on a real (Xvfb) screen: the indicator pictures and
// the displays in the OSD colour, read back from the screen.
#include <vector>

#include "osd_module.h"
#include "osd_fixture.h"
#include "vxosd.h"

using namespace osdtest;
using vx::osd::state;

namespace {

// Screen pixels of a rectangle, 0x00RRGGBB, top row first.
std::vector<COLORREF> grab(const RECT& r)
{
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    std::vector<COLORREF> out(static_cast<const DWORD*>(bits), static_cast<const DWORD*>(bits) + w * h);
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return out;
}

// A bitmap resource's pixels in the same form.
std::vector<COLORREF> picture(int id, int w, int h)
{
    HBITMAP bitmap = LoadBitmapA(vx::osd::this_module(), MAKEINTRESOURCEA(id));
    HDC screen = GetDC(nullptr);
    HDC source = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(source, bitmap);
    std::vector<COLORREF> out;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const COLORREF c = GetPixel(source, x, y);
            out.push_back(RGB(GetBValue(c), GetGValue(c), GetRValue(c))); // as 0x00RRGGBB
        }
    SelectObject(source, old);
    DeleteDC(source);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    return out;
}

int differences(const std::vector<COLORREF>& a, const std::vector<COLORREF>& b)
{
    int n = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        n += (a[i] & 0xFFFFFF) != (b[i] & 0xFFFFFF);
    return n + static_cast<int>(a.size() > b.size() ? a.size() - b.size() : b.size() - a.size());
}

class OsdScreen : public OsdTest {};

} // namespace

TEST_F(OsdScreen, MicrophoneStateOneShowsTheCrossedMicrophone)
{
    OSD_ShowMic(100, 300, 1);
    pump(200);
    const RECT where{100, 252, 148, 300};
    const auto shown = grab(where);
    EXPECT_EQ(0, differences(picture(115, 48, 48), shown));
    EXPECT_GT(differences(picture(114, 48, 48), shown), 50) << "not the plain microphone";

    OSD_ShowMic(100, 300, 0);
    pump(200);
    EXPECT_EQ(0, differences(picture(114, 48, 48), grab(where)));
}

TEST_F(OsdScreen, CapsLockPicturesFollowTheState)
{
    OSD_ShowCapsLk(300, 300, 1);
    pump(200);
    const RECT where{300, 252, 348, 300};
    EXPECT_EQ(0, differences(picture(106, 48, 48), grab(where)));
    OSD_ShowCapsLk(300, 300, 0);
    pump(200);
    EXPECT_EQ(0, differences(picture(108, 48, 48), grab(where)));
}

TEST_F(OsdScreen, DisplaysAppearInTheOsdColourExactlyOnTheirRegion)
{
    OSD_SetColor(RGB(255, 0, 255));
    OSD_ShowMuteIcon(1);
    pump(200);
    HRGN region = display_region();
    ASSERT_NE(nullptr, region);
    RECT box;
    GetRgnBox(region, &box);
    const auto shown = grab(box);
    const int w = box.right - box.left;
    int inside = 0, wrong = 0;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x) {
            if (!PtInRegion(region, x, y))
                continue;
            ++inside;
            wrong += (shown[static_cast<std::size_t>((y - box.top) * w + (x - box.left))] & 0xFFFFFF) != 0xFF00FF;
        }
    EXPECT_GT(inside, 500);
    EXPECT_EQ(0, wrong) << "every region pixel shows the OSD colour";
    DeleteObject(region);
}
