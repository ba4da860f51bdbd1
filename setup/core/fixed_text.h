// Bounded copies into the fixed text buffers of the configuration record and
// of the Win32 calls: every copy truncates and always terminates.
#pragma once
#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace vx::setup {

// Capacity of every text of the configuration record (MAX_PATH).
inline constexpr std::size_t kTextCapacity = 260;

// Copies at most capacity - 1 characters of text into out and terminates it.
// Returns the number of characters copied. A zero capacity writes nothing.
inline std::size_t copy_text(char* out, std::size_t capacity, std::string_view text)
{
    if (!out || capacity == 0)
        return 0;
    std::size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
    for (std::size_t i = 0; i < n; ++i)
        out[i] = text[i];
    out[n] = '\0';
    return n;
}

// Joins texts into one string (built by appending, which GCC 12 does not
// misreport as an overlapping copy the way chains of operator+ are).
inline std::string join(std::initializer_list<std::string_view> parts)
{
    std::size_t size = 0;
    for (std::string_view p : parts)
        size += p.size();
    std::string out;
    out.reserve(size);
    for (std::string_view p : parts)
        out.append(p);
    return out;
}

template <std::size_t N>
std::size_t copy_text(char (&out)[N], std::string_view text) { return copy_text(out, N, text); }

} // namespace vx::setup
