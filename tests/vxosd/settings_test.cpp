// OSD settings through VXUtil's real profile store in the Wine registry.
#include <windows.h>

#include <commdlg.h>

#include "display_window.h"
#include "osd_fixture.h"
#include "platform/font_dialog_seam.h"
#include "settings.h"
#include "vxosd.h"
#include "vxutil.h"

using namespace osdtest;
using vx::osd::state;
using vx::platform::SeamOverride;

namespace {

LANGID WINAPI russian() { return 1049; }
LANGID WINAPI turkish() { return 1055; }
LANGID WINAPI english() { return 1033; }
int WINAPI no() { return 0; }

// Sets a registry text for the length of a scope and puts the old one back.
class ScopedRegText {
public:
    ScopedRegText(const char* path, const char* name, const char* text) : path_(path), name_(name ? name : "")
    {
        char old[256] = {};
        DWORD size = sizeof old;
        had_ = RegGetValueA(HKEY_CURRENT_USER, path, name, RRF_RT_REG_SZ, nullptr, old, &size) == ERROR_SUCCESS;
        old_ = old;
        RegSetKeyValueA(HKEY_CURRENT_USER, path, name, REG_SZ, text, static_cast<DWORD>(strlen(text) + 1));
    }
    ~ScopedRegText()
    {
        const char* name = name_.empty() ? nullptr : name_.c_str();
        if (had_)
            RegSetKeyValueA(HKEY_CURRENT_USER, path_.c_str(), name, REG_SZ, old_.c_str(),
                            static_cast<DWORD>(old_.size() + 1));
        else
            RegDeleteKeyValueA(HKEY_CURRENT_USER, path_.c_str(), name);
    }

private:
    std::string path_;
    std::string name_;
    std::string old_;
    bool had_ = false;
};

class OsdSettings : public OsdTest {
protected:
    SeamOverride<LANGID(WINAPI*)()> language_{vx::osd::platform::os().GetSystemDefaultLangID, english};
};

// The dialog's answer for the next ChooseFontA.
struct FontAnswer {
    BOOL ok = FALSE;
    CHOOSEFONTA seen{};
    LOGFONTA font{};
    COLORREF color = 0;
};
FontAnswer g_answer;

BOOL WINAPI answer_font(LPCHOOSEFONTA cf)
{
    g_answer.seen = *cf;
    if (g_answer.ok) {
        *cf->lpLogFont = g_answer.font;
        cf->rgbColors = g_answer.color;
    }
    return g_answer.ok;
}

} // namespace

TEST_F(OsdSettings, NoStoredValuesGiveTheDefaults)
{
    EXPECT_EQ(1, OSD_LoadSettings());
    const auto& s = state().settings;
    // A 28-point font at the desktop's DPI (the suites run at 96, 144 and
    // 192).
    const struct {
        int dpi, height;
    } kHeights[] = {{96, -37}, {144, -56}, {192, -75}};
    const int dpi = screen_dpi();
    for (const auto& h : kHeights) {
        if (h.dpi == dpi) {
            EXPECT_EQ(h.height, s.font.lfHeight);
            EXPECT_EQ(h.height, s.saved_height);
        }
    }
    EXPECT_EQ(400, s.font.lfWeight);
    EXPECT_EQ(0, s.font.lfCharSet);
    EXPECT_EQ(0, s.font.lfPitchAndFamily);
    EXPECT_STREQ("Arial", s.font.lfFaceName);
    EXPECT_EQ(65280u, s.color);
    EXPECT_EQ(2000, s.duration);
    EXPECT_EQ(1, s.enabled);
}

TEST_F(OsdSettings, StoredHeightIsScaledUnlessTheUserChoseIt)
{
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    set_number("Height", -30);
    reload();
    EXPECT_EQ(-30 * cy / 768, state().settings.font.lfHeight);
    if (cy == 1024) {
        EXPECT_EQ(-40, state().settings.font.lfHeight);
    }
    // Saving without a font choice writes the stored value back, not the
    // scaled one, so loading again does not scale twice.
    OSD_SaveSettings();
    int stored = 0;
    ASSERT_TRUE(read_number("Height", stored));
    EXPECT_EQ(-30, stored);
    reload();
    EXPECT_EQ(-30 * cy / 768, state().settings.font.lfHeight);

    set_number("UserChanged", 0);
    reload();
    EXPECT_EQ(-30, state().settings.font.lfHeight) << "any UserChanged value keeps the height";
}

TEST_F(OsdSettings, ByteFieldsTakeTheLowByteAndLanguagesForceCharacterSets)
{
    set_number("Italic", 0x101);
    set_number("CharSet", 0);
    set_number("Weight", 700);
    reload();
    EXPECT_EQ(1, state().settings.font.lfItalic);
    EXPECT_EQ(700, state().settings.font.lfWeight);
    {
        SeamOverride<LANGID(WINAPI*)()> ru(vx::osd::platform::os().GetSystemDefaultLangID, russian);
        reload();
        EXPECT_EQ(204, state().settings.font.lfCharSet);
    }
    {
        SeamOverride<LANGID(WINAPI*)()> tr(vx::osd::platform::os().GetSystemDefaultLangID, turkish);
        reload();
        EXPECT_EQ(162, state().settings.font.lfCharSet);
    }
}

TEST_F(OsdSettings, JapaneseLocaleWinsOverTurkishAndTakesTheCaptionFont)
{
    NONCLIENTMETRICSA m{};
    m.cbSize = 344;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, m.cbSize, &m, 0));
    SeamOverride<LANGID(WINAPI*)()> tr(vx::osd::platform::os().GetSystemDefaultLangID, turkish);
    ScopedRegText locale("Control Panel\\International", "Locale", "00000411");
    char seen[16];
    vx::osd::user_locale(seen);
    EXPECT_STREQ("00000411", seen);
    reload();
    EXPECT_EQ(m.lfCaptionFont.lfCharSet, state().settings.font.lfCharSet);
    EXPECT_STREQ(m.lfCaptionFont.lfFaceName, state().settings.font.lfFaceName);
    set_number("CharSet", 128);
    reload();
    EXPECT_EQ(128, state().settings.font.lfCharSet) << "read from the profile, not forced to 162";
}

TEST_F(OsdSettings, NonNtSystemsReadTheResourceLocale)
{
    SeamOverride<int(WINAPI*)()> nt(vx::osd::platform::os().IsNT, no);
    ScopedRegText locale("Control Panel\\Desktop\\ResourceLocale", nullptr, "00000411");
    char seen[16];
    vx::osd::user_locale(seen);
    EXPECT_STREQ("00000411", seen);
}

TEST_F(OsdSettings, SaveWritesEverySettingButEnabled)
{
    set_number("Duration", 1500);
    set_number("Color", 0x123456);
    reload();
    OSD_SaveSettings();
    const char* written[] = {"Height", "Weight", "Width", "Esc", "Orient", "Italic", "Underline", "StrikeOut",
                             "CharSet", "OutPrec", "ClipPrec", "Quality", "Pitch&Family", "Color", "Duration"};
    for (const char* name : written) {
        int v;
        EXPECT_TRUE(read_number(name, v)) << name;
    }
    int v = 0;
    EXPECT_TRUE(read_number("Color", v));
    EXPECT_EQ(0x123456, v);
    EXPECT_FALSE(read_number("Enabled", v));
    EXPECT_FALSE(read_number("UserChanged", v));
    char face[64] = {};
    EXPECT_EQ(1, Reg_GetProfileString("OSD", "FaceName", face, sizeof face, nullptr));
    EXPECT_STREQ("Arial", face);
}

TEST_F(OsdSettings, OptInValuesAreReadAndOnlyWrittenOnceUsed)
{
    OSD_SaveSettings();
    int v = 0;
    for (const char* name : {"Monitor", "FullScreen", "Announce"})
        EXPECT_FALSE(read_number(name, v)) << name << ": a host that never sets it keeps its profile";
    set_number("Monitor", 2);
    set_number("FullScreen", 1);
    set_number("Announce", 1);
    reload();
    EXPECT_EQ(2, OSD_GetMonitor());
    EXPECT_TRUE(state().settings.full_screen);
    EXPECT_TRUE(state().settings.announce);
    EXPECT_EQ(0, OSD_SetMonitor(3));
    EXPECT_EQ(0, OSD_SetMonitor(-1));
    EXPECT_EQ(2, OSD_GetMonitor()) << "a refused value changes nothing";
    EXPECT_EQ(1, OSD_SetMonitor(0));
    OSD_SaveSettings();
    ASSERT_TRUE(read_number("Monitor", v));
    EXPECT_EQ(0, v) << "a stored value is replaced";
    set_number("Monitor", 7);
    reload();
    EXPECT_EQ(0, OSD_GetMonitor()) << "an unknown stored value means the primary monitor";
}

TEST_F(OsdSettings, CancelledFontDialogChangesNothing)
{
    SeamOverride<BOOL(WINAPI*)(LPCHOOSEFONTA)> dialog(vx::osd::platform::dialogs().ChooseFontA, answer_font);
    g_answer = FontAnswer{};
    const LOGFONTA before = state().settings.font;
    EXPECT_EQ(0, OSD_SelectFont(nullptr));
    EXPECT_EQ(0, memcmp(&before, &state().settings.font, sizeof before));
    EXPECT_EQ(sizeof(CHOOSEFONTA), g_answer.seen.lStructSize);
    EXPECT_EQ(0x40141u, g_answer.seen.Flags);
    EXPECT_EQ(65280u, g_answer.seen.rgbColors);
    OSD_SaveSettings();
    int v;
    EXPECT_FALSE(read_number("UserChanged", v));
}

TEST_F(OsdSettings, ChosenFontAndColourAreTakenAndMarkedUserChanged)
{
    SeamOverride<BOOL(WINAPI*)(LPCHOOSEFONTA)> dialog(vx::osd::platform::dialogs().ChooseFontA, answer_font);
    g_answer = FontAnswer{};
    g_answer.ok = TRUE;
    g_answer.font = state().settings.font;
    g_answer.font.lfHeight = -50;
    lstrcpynA(g_answer.font.lfFaceName, "Courier New", LF_FACESIZE);
    g_answer.color = RGB(255, 0, 0);
    EXPECT_NE(0, OSD_SelectFont(GetDesktopWindow()));
    EXPECT_EQ(GetDesktopWindow(), g_answer.seen.hwndOwner);
    EXPECT_EQ(-50, state().settings.font.lfHeight);
    EXPECT_STREQ("Courier New", state().settings.font.lfFaceName);
    EXPECT_EQ(RGB(255, 0, 0), state().settings.color);
    OSD_SaveSettings();
    int v = 0;
    ASSERT_TRUE(read_number("UserChanged", v));
    EXPECT_EQ(1, v);
    ASSERT_TRUE(read_number("Height", v));
    EXPECT_EQ(-50, v);
    reload();
    EXPECT_EQ(-50, state().settings.font.lfHeight) << "a chosen height is not scaled";
}

TEST_F(OsdSettings, ColourChosenAfterAScreenChangeIsShownAndReported)
{
    SendMessageA(display(), WM_DISPLAYCHANGE, 32, MAKELPARAM(800, 600));
    pump(50);
    ASSERT_FALSE(IsWindow(display()));
    SeamOverride<BOOL(WINAPI*)(LPCHOOSEFONTA)> dialog(vx::osd::platform::dialogs().ChooseFontA, answer_font);
    g_answer = FontAnswer{};
    g_answer.ok = TRUE;
    g_answer.font = state().settings.font;
    g_answer.color = RGB(200, 0, 0);
    EXPECT_NE(0, OSD_SelectFont(nullptr)) << "a chosen font must not read as cancelled";
    EXPECT_EQ(1, OSD_ShowMuteIcon(1));
    LOGBRUSH lb{};
    ASSERT_TRUE(GetObjectA(reinterpret_cast<HBRUSH>(GetClassLongPtrA(display(), GCLP_HBRBACKGROUND)), sizeof lb, &lb));
    EXPECT_EQ(RGB(200, 0, 0), lb.lbColor);
}

TEST_F(OsdSettings, OneLiveBrushOfTheCurrentColour)
{
    HBRUSH first = state().brush;
    ASSERT_NE(nullptr, first);
    EXPECT_NE(0, OSD_SetColor(RGB(10, 20, 30)));
    HBRUSH second = state().brush;
    EXPECT_EQ(0u, GetObjectType(first)) << "the replaced brush is deleted";
    auto* installed = reinterpret_cast<HBRUSH>(GetClassLongPtrA(display(), GCLP_HBRBACKGROUND));
    EXPECT_EQ(second, installed);
    LOGBRUSH lb{};
    ASSERT_TRUE(GetObjectA(installed, sizeof lb, &lb));
    EXPECT_EQ(RGB(10, 20, 30), lb.lbColor);
}

TEST_F(OsdSettings, ColourSetBeforeInitIsTheClassBrushColour)
{
    OSD_Destroy();
    EXPECT_EQ(nullptr, state().brush);
    EXPECT_EQ(0, OSD_SetColor(RGB(1, 2, 3)));
    EXPECT_EQ(RGB(1, 2, 3), state().settings.color);
    // OSD_Init's registration, before its settings load applies the stored
    // colour: the class takes a brush of the colour set before.
    vx::osd::register_display_class();
    WNDCLASSA wc{};
    ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "VX_OSD_WNDCLASS", &wc));
    LOGBRUSH lb{};
    ASSERT_TRUE(GetObjectA(wc.hbrBackground, sizeof lb, &lb));
    EXPECT_EQ(RGB(1, 2, 3), lb.lbColor);
    ASSERT_EQ(1, OSD_Init());
}
