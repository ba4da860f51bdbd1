#include "core/locale_choice.h"

namespace vx::setup {
namespace {
// Chinese (traditional, simplified), Danish, Dutch, English, Finnish, French,
// German, Italian, Japanese, Norwegian, Portuguese (Brazil), Spanish
// (Mexico), Swedish.
constexpr std::uint16_t kLanguages[] = {0x0404, 0x0804, 0x0406, 0x0413, 0x0409, 0x040B, 0x040C,
                                        0x0407, 0x0410, 0x0411, 0x0414, 0x0416, 0x080A, 0x041D};
} // namespace

std::optional<std::uint16_t> thread_locale_to_set(std::uint32_t current)
{
    for (std::uint16_t id : kLanguages)
        if (current == id)
            return std::nullopt;
    for (std::uint16_t id : kLanguages)
        if ((id & 0xFF) == (current & 0xFF))
            return id;
    return kFallbackLocale;
}

} // namespace vx::setup
