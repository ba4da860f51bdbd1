#include "announcement.h"

#include "announcer.h"
#include "core/string_block.h"
#include "core/volume_layout.h"
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

void announce(const std::u16string& text, Timing timing = Timing::Now)
{
    say(reinterpret_cast<const wchar_t*>(text.c_str()), text.size(), timing);
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
    say(wide, n > 0 ? static_cast<std::size_t>(n) : 0, Timing::Now);
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
                         volume_percent(level, maximum)),
             muted ? Timing::Now : Timing::WhenSettled);
}

void announce_indicator(IndicatorKind kind, bool set) { announce_string(kIndicatorTexts[kind][set ? 0 : 1]); }

} // namespace vx::osd
