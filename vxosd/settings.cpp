// Loading, saving and editing the OSD settings, and the life cycle of the
// display (OSD_Init, OSD_Destroy).
#include "settings.h"

#include <commdlg.h>

#include <cstring>

#include "announcer.h"
#include "display_window.h"
#include "dpi.h"
#include "indicators.h"
#include "osd_module.h"
#include "osd_state.h"
#include "platform/font_dialog_seam.h"
#include "platform/version_language_seam.h"
#include "shape_cache.h"
#include "text_buffer.h"
#include "volume_display.h"
#include "vxosd.h"
#include "vxutil.h"

namespace vx::osd {
namespace {

int read_number(const char* name, int fallback)
{
    int value = fallback;
    Reg_GetProfileNumber(kSection, name, &value, fallback);
    return value;
}

// Byte fields are stored widened to 32 bits; the low byte is the value.
BYTE read_byte(const char* name, BYTE fallback) { return static_cast<BYTE>(read_number(name, fallback) & 0xFF); }

bool value_present(const char* name)
{
    int ignored = 0;
    return Reg_GetProfileNumber(kSection, name, &ignored, 0) != 0;
}

// Reads a registry text of any length with a size query first, as the value
// may be longer than any fixed buffer; copies a bounded prefix.
bool read_locale_value(HKEY root, const char* path, const char* name, char (&out)[16])
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    bool ok = false;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS && size > 0) {
        HANDLE heap = GetProcessHeap();
        auto* buffer = static_cast<char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, size + 1));
        if (buffer) {
            DWORD second = size;
            if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &second) ==
                ERROR_SUCCESS) {
                buffer[second < size ? second : size] = '\0';
                copy_text(out, buffer);
                ok = true;
            }
            HeapFree(heap, 0, buffer);
        }
    }
    RegCloseKey(key);
    return ok;
}

// What SetClassLongA answers for the brush it replaced: the handle cut to 32
// bits, except that a brush that was there never reads as 0 (failure), even
// if its handle's low 32 bits were 0.
int replaced_brush_result(LONG_PTR previous)
{
    const int low = static_cast<int>(previous);
    return low || !previous ? low : 1;
}

int logical_pixels_y()
{
    HWND window = state().display;
    if (window && !IsWindow(window))
        window = nullptr;
    HDC dc = GetDC(window);
    if (!dc)
        return 96;
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(window, dc);
    return dpi;
}

bool valid_monitor(int monitor) { return monitor >= kPrimaryMonitor && monitor <= kPointerMonitor; }

void load_opt_in_settings(Settings& st)
{
    const int monitor = read_number(kMonitorValue, kPrimaryMonitor);
    st.monitor = valid_monitor(monitor) ? monitor : kPrimaryMonitor;
    st.full_screen = read_number(kFullScreenValue, 0) != 0;
    st.announce = read_number(kAnnounceValue, 0) != 0;
}

// Written once set, or to replace a stored value: a host that never uses
// them finds its profile as it always was.
void save_opt_in_value(const char* name, int value)
{
    if (value || value_present(name))
        Reg_SetProfileNumber(kSection, name, value);
}

} // namespace

void user_locale(char (&locale)[16])
{
    copy_text(locale, kEnglishLocale);
    char found[16] = {};
    const bool ok = platform::os().IsNT()
                        ? read_locale_value(HKEY_CURRENT_USER, "Control Panel\\International", "Locale", found)
                        : read_locale_value(HKEY_CURRENT_USER, "Control Panel\\Desktop\\ResourceLocale", nullptr,
                                            found);
    if (ok)
        copy_text(locale, found);
}

int load_settings()
{
    Settings& st = state().settings;
    LOGFONTA& f = st.font;

    char locale[16];
    user_locale(locale);
    const bool japanese = lstrcmpiA(locale, kJapaneseLocale) == 0;
    NONCLIENTMETRICSA metrics{};
    if (japanese) {
        // The size of the structure without the padded border width that
        // Vista added, so that every Windows version answers.
        metrics.cbSize = 344;
        if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
            metrics = NONCLIENTMETRICSA{};
    }
    const LANGID language = platform::os().GetSystemDefaultLangID();

    // The font's pixel sizes are for this DPI; each display scales them to
    // its own.
    st.font_dpi = logical_pixels_y();
    // A stored height without "UserChanged" is for a 768-pixel-high screen
    // and is scaled to this one. The saved height keeps the stored value, so
    // saving and loading again does not scale it a second time.
    int stored = 0;
    if (Reg_GetProfileNumber(kSection, "Height", &stored, 0)) {
        st.saved_height = stored;
        f.lfHeight = value_present("UserChanged")
                         ? stored
                         : static_cast<int>(static_cast<long long>(stored) * GetSystemMetrics(SM_CYSCREEN) / 768);
    } else {
        f.lfHeight = -MulDiv(28, st.font_dpi, 72);
        st.saved_height = f.lfHeight;
    }

    f.lfWeight = read_number("Weight", FW_NORMAL);
    f.lfWidth = read_number("Width", 0);
    f.lfEscapement = read_number("Esc", 0);
    f.lfOrientation = read_number("Orient", 0);
    f.lfItalic = read_byte("Italic", 0);
    f.lfUnderline = read_byte("Underline", 0);
    f.lfStrikeOut = read_byte("StrikeOut", 0);
    if (japanese)
        f.lfCharSet = read_byte("CharSet", metrics.lfCaptionFont.lfCharSet);
    else if (language == kRussian)
        f.lfCharSet = kRussianCharSet;
    else if (language == kTurkish)
        f.lfCharSet = kTurkishCharSet;
    else
        f.lfCharSet = read_byte("CharSet", 0);
    f.lfOutPrecision = read_byte("OutPrec", 0);
    f.lfClipPrecision = read_byte("ClipPrec", 0);
    f.lfQuality = read_byte("Quality", 0);
    f.lfPitchAndFamily = read_byte("Pitch&Family", japanese ? metrics.lfCaptionFont.lfPitchAndFamily : 0);

    char face[LF_FACESIZE] = {};
    char fallback[LF_FACESIZE] = {};
    copy_text(fallback, japanese ? metrics.lfCaptionFont.lfFaceName : "Arial");
    // The profile reader copies into a 260-byte buffer; the face name keeps
    // what fits its 32 bytes.
    char value[MAX_PATH] = {};
    Reg_GetProfileString(kSection, "FaceName", value, sizeof value, fallback);
    value[MAX_PATH - 1] = '\0';
    copy_text(face, value);
    std::memcpy(f.lfFaceName, face, sizeof face);

    set_color(static_cast<COLORREF>(read_number("Color", static_cast<int>(kDefaultColor))));
    st.duration = read_number("Duration", kDefaultDuration);
    load_opt_in_settings(st);
    int enabled = 1;
    Reg_GetProfileBool(kSection, "Enabled", &enabled, 1);
    st.enabled = enabled;
    return enabled;
}

void save_settings()
{
    const Settings& st = state().settings;
    const LOGFONTA& f = st.font;
    Reg_SetProfileNumber(kSection, "Height", st.saved_height);
    Reg_SetProfileNumber(kSection, "Weight", f.lfWeight);
    Reg_SetProfileNumber(kSection, "Width", f.lfWidth);
    Reg_SetProfileNumber(kSection, "Esc", f.lfEscapement);
    Reg_SetProfileNumber(kSection, "Orient", f.lfOrientation);
    Reg_SetProfileNumber(kSection, "Italic", f.lfItalic);
    Reg_SetProfileNumber(kSection, "Underline", f.lfUnderline);
    Reg_SetProfileNumber(kSection, "StrikeOut", f.lfStrikeOut);
    Reg_SetProfileNumber(kSection, "CharSet", f.lfCharSet);
    Reg_SetProfileNumber(kSection, "OutPrec", f.lfOutPrecision);
    Reg_SetProfileNumber(kSection, "ClipPrec", f.lfClipPrecision);
    Reg_SetProfileNumber(kSection, "Quality", f.lfQuality);
    Reg_SetProfileNumber(kSection, "Pitch&Family", f.lfPitchAndFamily);
    char face[LF_FACESIZE];
    copy_text(face, f.lfFaceName);
    Reg_SetProfileString(kSection, "FaceName", face);
    Reg_SetProfileNumber(kSection, "Color", static_cast<int>(st.color));
    Reg_SetProfileNumber(kSection, "Duration", st.duration);
    if (st.user_changed)
        Reg_SetProfileNumber(kSection, "UserChanged", 1);
    save_opt_in_value(kMonitorValue, st.monitor);
    save_opt_in_value(kFullScreenValue, st.full_screen ? 1 : 0);
    save_opt_in_value(kAnnounceValue, st.announce ? 1 : 0);
}

LOGFONTA font_for_dpi(int dpi)
{
    const Settings& st = state().settings;
    LOGFONTA font = st.font;
    if (dpi != st.font_dpi && dpi > 0 && st.font_dpi > 0) {
        font.lfHeight = MulDiv(font.lfHeight, dpi, st.font_dpi);
        font.lfWidth = MulDiv(font.lfWidth, dpi, st.font_dpi);
    }
    return font;
}

int set_monitor(int monitor)
{
    if (!valid_monitor(monitor))
        return 0;
    state().settings.monitor = monitor;
    return 1;
}

int select_font(HWND owner)
{
    Settings& st = state().settings;
    LOGFONTA edited = st.font;
    CHOOSEFONTA cf{};
    cf.lStructSize = sizeof cf;
    cf.hwndOwner = owner;
    cf.lpLogFont = &edited;
    cf.rgbColors = st.color;
    cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS | CF_TTONLY;
    if (!platform::dialogs().ChooseFontA(&cf))
        return 0;
    edited.lfFaceName[LF_FACESIZE - 1] = '\0';
    st.font = edited;
    st.saved_height = edited.lfHeight;
    st.font_dpi = system_dpi();
    const int result = set_color(cf.rgbColors);
    st.user_changed = true;
    return result;
}

int set_color(COLORREF color)
{
    OsdState& s = state();
    s.settings.color = color;
    // Before OSD_Init only the colour is stored. After a display change
    // closed the window, it comes back (hidden) now, as a show would bring
    // it: the colour takes effect and the caller learns that it did.
    HWND display = s.display_class_registered ? ensure_display_window() : nullptr;
    if (!display)
        return 0;
    return replaced_brush_result(install_color_brush(display));
}

int destroy()
{
    OsdState& s = state();
    if (s.background && IsWindow(s.background))
        SendMessageA(s.background, WM_CLOSE, 0, 0);
    for (Indicator& indicator : s.indicators) {
        if (indicator.window && IsWindow(indicator.window))
            SendMessageA(indicator.window, WM_CLOSE, 0, 0);
    }
    int result = 0;
    if (s.display && IsWindow(s.display)) {
        kill_hide_timer();
        result = static_cast<int>(SendMessageA(s.display, WM_CLOSE, 0, 0));
    }
    s.display = nullptr;
    forget_display_region();
    clear_shape_cache();
    s.background = nullptr;
    s.hide_timer_running = false;
    s.display_showing = false;
    // With the windows gone their classes go too (and with them the class
    // brushes), so that the library can be unloaded and a later OSD_Init
    // starts afresh.
    unregister_display_class();
    unregister_indicator_classes();
    unregister_background_class();
    destroy_announcer();
    return result;
}

} // namespace vx::osd

using namespace vx::osd;

extern "C" int WINAPI OSD_Init(void)
{
    register_display_class();
    ensure_display_window();
    load_settings();
    return 1;
}

extern "C" int WINAPI OSD_LoadSettings(void) { return load_settings(); }

extern "C" void WINAPI OSD_SaveSettings(void) { save_settings(); }

extern "C" int WINAPI OSD_SelectFont(HWND owner) { return select_font(owner); }

extern "C" int WINAPI OSD_SetColor(COLORREF color) { return set_color(color); }

extern "C" COLORREF WINAPI OSD_SetVolumeBkgColor(COLORREF color)
{
    state().background_color = color;
    state().background_enabled = true;
    return color;
}

extern "C" int WINAPI OSD_KeepShowing(int keep)
{
    OsdState& s = state();
    s.keep_showing = keep != 0;
    if (keep) {
        kill_hide_timer();
    } else if (!s.hide_timer_running) {
        arm_hide_timer();
    }
    return keep;
}

extern "C" int WINAPI OSD_Destroy(void) { return destroy(); }

extern "C" int WINAPI OSD_GetMonitor(void) { return state().settings.monitor; }

extern "C" int WINAPI OSD_SetMonitor(int monitor) { return set_monitor(monitor); }
