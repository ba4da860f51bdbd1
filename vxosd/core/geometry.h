// Plain rectangles of the on-screen display's geometry. Portable: no Windows
// header; the Windows shell converts to and from RECT.
#pragma once
#include <cstdint>

namespace vx::osd {

struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    constexpr std::int32_t width() const { return right - left; }
    constexpr std::int32_t height() const { return bottom - top; }
    constexpr bool empty() const { return right <= left || bottom <= top; }
    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

// 32-bit signed arithmetic that wraps instead of overflowing, for formulas
// whose inputs come from callers (rectangles, levels) and must not trigger
// undefined behaviour on absurd values.
constexpr std::int32_t wrap32(std::int64_t v) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(v)); }

// x * num / den with a 32-bit signed result, rounded toward zero: the screen
// scaling used throughout (den is a reference screen size, never 0).
constexpr std::int32_t scale(std::int32_t x, std::int32_t num, std::int32_t den)
{
    return wrap32(static_cast<std::int64_t>(x) * num / den);
}

// The DPI a display is laid out for. Every placement rule is evaluated in
// logical units (96 per inch, the units the rules were made for) and its
// result drawn in physical pixels; at 96 both are the same, so nothing moves.
inline constexpr std::int32_t kBaseDpi = 96;

struct DpiScale {
    std::int32_t dpi = kBaseDpi;

    // A DPI that is not positive (a failed look-up) counts as the base.
    constexpr std::int32_t value() const { return dpi > 0 ? dpi : kBaseDpi; }
    constexpr std::int32_t px(std::int32_t logical) const { return scale(logical, value(), kBaseDpi); }
    constexpr std::int32_t logical(std::int32_t physical) const { return scale(physical, kBaseDpi, value()); }
    constexpr Rect px(const Rect& r) const { return {px(r.left), px(r.top), px(r.right), px(r.bottom)}; }
    // value * length / reference with length in physical pixels and the
    // product taken in logical units: a rule's length given for a
    // reference screen, in physical pixels.
    constexpr std::int32_t share(std::int32_t value, std::int32_t length, std::int32_t reference) const
    {
        return px(scale(value, logical(length), reference));
    }
};

} // namespace vx::osd
