#include "announcement.h"

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

void announce(const std::u16string& text, Timing timing)
{
    say(reinterpret_cast<const wchar_t*>(text.c_str()), text.size(), timing);
}

} // namespace vx::osd
