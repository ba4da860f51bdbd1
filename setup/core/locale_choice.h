// The user-interface language setup runs in on NT: one of the languages its
// installers are localised for, matched by primary language. No Windows
// header.
#pragma once
#include <cstdint>
#include <optional>

namespace vx::setup {

inline constexpr std::uint16_t kFallbackLocale = 0x0409;

// nullopt: the current thread locale is one of the supported languages and
// stays. Otherwise the locale to set: the first supported language whose
// low byte equals the current one's, or kFallbackLocale.
std::optional<std::uint16_t> thread_locale_to_set(std::uint32_t current);

} // namespace vx::setup
