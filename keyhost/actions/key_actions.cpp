#include "actions/key_actions.h"

#include "actions/microphone.h"
#include "core/consumer_keys.h"
#include "host.h"
#include "shell/display_settings.h"
#include "vxosd.h"
#include "vxutil.h"

namespace keyhost {
namespace {

constexpr char kProfileRoot[] = "Software\\VXKeyHost";
constexpr UINT kVolumeFollowMs = 150;

bool is_volume_key(std::uint32_t code) { return code == kVolumeUp || code == kVolumeDown; }

BOOL CALLBACK find_visible_display(HWND window, LPARAM visible)
{
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpA(name, "VX_OSD_WNDCLASS") != 0)
        return TRUE;
    *reinterpret_cast<bool*>(visible) = IsWindowVisible(window) != FALSE;
    return FALSE;
}

// The mode after the current one in the display's list, from `index` on
// (which is advanced); false when the display lists no other mode.
bool next_display_mode(std::uint32_t& index, DEVMODEA& mode)
{
    DEVMODEA current{};
    current.dmSize = sizeof current;
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &current);
    std::uint32_t count = 0;
    DEVMODEA probe{};
    probe.dmSize = sizeof probe;
    while (count < 1000 && EnumDisplaySettingsA(nullptr, count, &probe))
        ++count;
    for (std::uint32_t tried = 0; tried < count; ++tried) {
        mode = DEVMODEA{};
        mode.dmSize = sizeof mode;
        if (!EnumDisplaySettingsA(nullptr, index++ % count, &mode))
            continue;
        if (mode.dmPelsWidth != current.dmPelsWidth || mode.dmPelsHeight != current.dmPelsHeight ||
            mode.dmBitsPerPel != current.dmBitsPerPel) {
            mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
            return true;
        }
    }
    return false;
}

} // namespace

void KeyActions::start(HWND window)
{
    window_ = window;
    QueryPerformanceFrequency(&frequency_);
    char user[260] = {};
    DWORD user_size = sizeof user;
    if (!GetUserNameA(user, &user_size))
        user[0] = '\0';
    Reg_InitProfile(kProfileRoot, user);
    SetThreadResourceLocale();
    write_display_defaults();
    Mixer_Init(window_);
    OSD_Init();
    OSD_InitLockKey();
}

void KeyActions::finish()
{
    KillTimer(window_, kVolumeFollowTimer);
    Mixer_StopVolumeIncrease();
    OSD_Destroy();
    if (screen_changed_)
        ChangeDisplaySettingsExA(nullptr, nullptr, nullptr, 0, nullptr);
    screen_changed_ = false;
}

int KeyActions::key(std::uint32_t code, bool pressed, std::int64_t posted)
{
    LARGE_INTEGER begin;
    QueryPerformanceCounter(&begin);
    int result = 0;
    const int handled = CallHIDButtonFunction(code, pressed ? 1 : 0, &result);

    const auto ms_since = [&](std::int64_t from) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - from) * 1000.0 / static_cast<double>(frequency_.QuadPart);
    };
    if (pressed && is_volume_key(code)) {
        show_volume();
        SetTimer(window_, kVolumeFollowTimer, kVolumeFollowMs, nullptr);
        latencies_.add(ms_since(posted ? posted : begin.QuadPart));
    } else if (!pressed && is_volume_key(code)) {
        KillTimer(window_, kVolumeFollowTimer);
    } else if (pressed && code == kMute) {
        // The mixer's change notice that follows must not replace the icon.
        Mixer_GetVolume(&shown_level_);
        shown_mute_ = Mixer_GetMuteState() ? 1 : 0;
        OSD_ShowMuteIcon(shown_mute_);
        tell_tray();
    }
    const double ms = ms_since(begin.QuadPart);
    char name[64] = "?";
    GetHIDFuncName(code, name, sizeof name);
    // A volume press logs what it showed rather than asking the mixer again.
    int level = shown_level_;
    int muted = shown_mute_;
    if (!pressed || !is_volume_key(code)) {
        Mixer_GetVolume(&level);
        muted = Mixer_GetMuteState() ? 1 : 0;
    }
    host_.log("%-7s 0x%04X %-20s -> %d (result %d)  volume 0x%04X muted %d  %7.2f ms", pressed ? "press" : "release",
              code, name, handled, result, level, muted, ms);
    return result;
}

bool KeyActions::volume_changed() const
{
    int level = 0;
    Mixer_GetVolume(&level);
    return (level < 0 ? 0 : level) != shown_level_ || (Mixer_GetMuteState() ? 1 : 0) != shown_mute_;
}

void KeyActions::show_volume()
{
    int level = 0;
    Mixer_GetVolume(&level);
    shown_level_ = level < 0 ? 0 : level;
    shown_mute_ = Mixer_GetMuteState() ? 1 : 0;
    const unsigned value = static_cast<unsigned>(shown_level_);
    if (host_.options().classic_volume)
        OSD_ShowVolume(value, 0, 0xFFFF);
    else
        OSD_ShowVolumeEx(value, 0, 0xFFFF, shown_mute_);
    tell_tray();
}

void KeyActions::tell_tray() const
{
    PostMessageA(host_.window(), kTrayVolumeMessage, static_cast<WPARAM>(shown_level_), shown_mute_ == 1);
}

// Only this process's display: another program's window of the same class
// is not ours to follow.
bool KeyActions::display_visible() const
{
    bool visible = false;
    EnumThreadWindows(GetCurrentThreadId(), find_visible_display, reinterpret_cast<LPARAM>(&visible));
    return visible;
}

void KeyActions::mixer_changed()
{
    // The volume changed elsewhere (or by our own repeat): refresh the
    // display only if it is already up and shows something else, so other
    // programs' changes do not pop it up unasked and no show is repeated.
    if (volume_changed() && display_visible())
        show_volume();
}

void KeyActions::follow_volume()
{
    if (volume_changed())
        show_volume();
}

void KeyActions::lock(LockKey key, bool on)
{
    const auto [x, y] = indicator_position(40, 40);
    switch (key) {
    case LockKey::Caps: OSD_ShowCapsLk(x, y, on ? 1 : 0); break;
    case LockKey::Num: OSD_ShowNumLk(x, y, on ? 1 : 0); break;
    case LockKey::Scroll: OSD_ShowScrlLk(x, y, on ? 1 : 0); break;
    }
    static const char* const names[] = {"Caps Lock", "Num Lock", "Scroll Lock"};
    host_.log("lock    %s %s", names[static_cast<int>(key)], on ? "on" : "off");
}

void KeyActions::mic(bool on)
{
    const auto [x, y] = indicator_position(100, 40);
    OSD_ShowMic(x, y, on ? 1 : 0);
    host_.log("mic     %s", on ? "muted" : "on");
}

// The indicator shows what the device says after the change, never what
// keyhost asked for.
void KeyActions::toggle_mic()
{
    const MicState mic_state = toggle_microphone();
    if (!mic_state.present) {
        host_.log("mic     no microphone to mute: %s", mic_state.why.c_str());
        return;
    }
    if (!mic_state.why.empty())
        host_.log("mic     %s: %s", mic_state.way, mic_state.why.c_str());
    mic(mic_state.muted);
}

void KeyActions::text(const std::string& text)
{
    OSD_ShowString(text.c_str(), nullptr, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT);
    host_.log("text    %s", text.c_str());
}

void KeyActions::change_screen(std::uint32_t width, std::uint32_t height)
{
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    if (width && height) {
        mode.dmPelsWidth = width;
        mode.dmPelsHeight = height;
        mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    } else if (!next_display_mode(next_mode_, mode)) {
        host_.log("screen  the display lists no other mode");
        return;
    }
    // CDS_FULLSCREEN: a change for this session of keyhost only, never
    // written to the registry; finish() puts the registry's mode back.
    const LONG result = ChangeDisplaySettingsExA(nullptr, &mode, nullptr, CDS_FULLSCREEN, nullptr);
    screen_changed_ |= result == DISP_CHANGE_SUCCESSFUL;
    host_.log("screen  %lux%lu %lu bits: %s (%ld)", mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel,
              result == DISP_CHANGE_SUCCESSFUL ? "changed" : "refused", result);
}

} // namespace keyhost
