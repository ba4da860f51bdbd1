#include "announcement.h"

#include "accessible_text.h"
#include "core/string_block.h"
#include "core/volume_layout.h"
#include "display_window.h"
#include "platform/accessibility_seam.h"
#include "platform/system_function.h"
#include "string_table.h"

namespace vx::osd {
namespace {

// Set and clear texts per indicator, in IndicatorKind order.
constexpr UINT kIndicatorTexts[kIndicatorCount][2] = {
    {kNumLockOnAnnouncement, kNumLockOffAnnouncement},
    {kCapsLockOnAnnouncement, kCapsLockOffAnnouncement},
    {kScrollLockOnAnnouncement, kScrollLockOffAnnouncement},
    {kMicrophoneMutedAnnouncement, kMicrophoneOnAnnouncement},
};

// The window that told the last announcement: the one whose client object
// carries it.
HWND g_told_by = nullptr;

// The host thread's COM apartment, for a host that has none: marshalling the
// object to a screen reader in another process needs one.
bool start_com()
{
    using Initialize = HRESULT(WINAPI*)(void*, DWORD);
    static const auto initialize = platform::system_function_as<Initialize>("ole32.dll", "CoInitializeEx");
    return initialize && SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED));
}

} // namespace

std::u16string text_announcement(const char* text)
{
    wchar_t wide[MAX_PATH];
    const int bytes = text ? lstrlenA(text) : 0;
    const int n = MultiByteToWideChar(CP_ACP, 0, text ? text : "", bytes < MAX_PATH - 1 ? bytes : MAX_PATH - 1,
                                      wide, MAX_PATH - 1);
    return std::u16string(reinterpret_cast<const char16_t*>(wide), n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::u16string string_announcement(UINT id) { return load_wide_string(id); }

std::u16string volume_announcement(unsigned level, unsigned maximum, bool muted)
{
    return fill_number(load_wide_string(muted ? kVolumeMutedAnnouncement : kVolumeAnnouncement),
                       volume_percent(level, maximum));
}

std::u16string indicator_announcement(IndicatorKind kind, bool set)
{
    return load_wide_string(kIndicatorTexts[kind][set ? 0 : 1]);
}

void announce(HWND window, const std::u16string& text)
{
    OsdState& s = state();
    const std::size_t n = text.size() < MAX_PATH - 1 ? text.size() : MAX_PATH - 1;
    for (std::size_t i = 0; i < n; ++i)
        s.announcement[i] = static_cast<wchar_t>(text[i]);
    s.announcement[n] = L'\0';
    if (!window || !IsWindow(window))
        window = ensure_display_window();
    if (!window)
        return;
    g_told_by = window;
    const auto raise = platform::accessibility().RaiseNotification;
    if (raise && SUCCEEDED(raise(window, s.announcement)))
        return;
    NotifyWinEvent(EVENT_SYSTEM_ALERT, window, OBJID_CLIENT, CHILDID_SELF);
}

bool answer_get_object(HWND window, WPARAM wparam, LPARAM lparam, LRESULT& result)
{
    const OsdState& s = state();
    if (!s.settings.announce || static_cast<LONG>(static_cast<DWORD>(lparam)) != OBJID_CLIENT || !s.announcement[0] ||
        window != g_told_by)
        return false;
    using FromObject = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
    static const auto from_object = platform::system_function_as<FromObject>("oleacc.dll", "LresultFromObject");
    IAccessible* object = from_object ? new_accessible_text(s.announcement, window) : nullptr;
    if (!object)
        return false;
    result = from_object(__uuidof(IAccessible), wparam, object);
    if (static_cast<HRESULT>(result) == CO_E_NOTINITIALIZED && start_com())
        result = from_object(__uuidof(IAccessible), wparam, object);
    object->Release();
    return result > 0;
}

} // namespace vx::osd
