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

void announce(const wchar_t* text, std::size_t length)
{
    OsdState& s = state();
    const std::size_t n = length < MAX_PATH - 1 ? length : MAX_PATH - 1;
    for (std::size_t i = 0; i < n; ++i)
        s.announcement[i] = text[i];
    s.announcement[n] = L'\0';
    HWND display = ensure_display_window();
    if (!display)
        return;
    const auto raise = platform::accessibility().RaiseNotification;
    if (raise && SUCCEEDED(raise(display, s.announcement)))
        return;
    NotifyWinEvent(EVENT_SYSTEM_ALERT, display, OBJID_CLIENT, CHILDID_SELF);
}

void announce(const std::u16string& text)
{
    announce(reinterpret_cast<const wchar_t*>(text.c_str()), text.size());
}

// The host thread's COM apartment, for a host that has none: marshalling the
// object to a screen reader in another process needs one.
bool start_com()
{
    using Initialize = HRESULT(WINAPI*)(void*, DWORD);
    static const auto initialize = platform::system_function_as<Initialize>("ole32.dll", "CoInitializeEx");
    return initialize && SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED));
}

} // namespace

void announce_text(const char* text)
{
    if (!state().settings.announce)
        return;
    wchar_t wide[MAX_PATH];
    const int bytes = text ? lstrlenA(text) : 0;
    const int n = MultiByteToWideChar(CP_ACP, 0, text ? text : "", bytes < MAX_PATH - 1 ? bytes : MAX_PATH - 1,
                                      wide, MAX_PATH - 1);
    announce(wide, n > 0 ? static_cast<std::size_t>(n) : 0);
}

void announce_string(UINT id)
{
    if (state().settings.announce)
        announce(load_wide_string(id));
}

void announce_volume(unsigned level, unsigned maximum, bool muted)
{
    if (!state().settings.announce)
        return;
    announce(fill_number(load_wide_string(muted ? kVolumeMutedAnnouncement : kVolumeAnnouncement),
                         volume_percent(level, maximum)));
}

void announce_indicator(IndicatorKind kind, bool set) { announce_string(kIndicatorTexts[kind][set ? 0 : 1]); }

bool answer_get_object(WPARAM wparam, LPARAM lparam, LRESULT& result)
{
    const OsdState& s = state();
    if (!s.settings.announce || static_cast<LONG>(static_cast<DWORD>(lparam)) != OBJID_CLIENT || !s.announcement[0])
        return false;
    using FromObject = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
    static const auto from_object = platform::system_function_as<FromObject>("oleacc.dll", "LresultFromObject");
    IAccessible* object = from_object ? new_accessible_text(s.announcement, s.display) : nullptr;
    if (!object)
        return false;
    result = from_object(__uuidof(IAccessible), wparam, object);
    if (static_cast<HRESULT>(result) == CO_E_NOTINITIALIZED && start_com())
        result = from_object(__uuidof(IAccessible), wparam, object);
    object->Release();
    return result > 0;
}

} // namespace vx::osd
