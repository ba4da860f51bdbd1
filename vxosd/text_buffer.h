// Bounded copies into fixed character buffers: truncate, always terminate.
#pragma once
#include <cstddef>
#include <cstring>

namespace vx::osd {

inline void copy_text(char* out, std::size_t capacity, const char* text)
{
    if (!out || capacity == 0)
        return;
    std::size_t n = 0;
    if (text) {
        while (n + 1 < capacity && text[n] != '\0')
            ++n;
        std::memcpy(out, text, n);
    }
    out[n] = '\0';
}

template <std::size_t N>
void copy_text(char (&out)[N], const char* text)
{
    copy_text(out, N, text);
}

} // namespace vx::osd
