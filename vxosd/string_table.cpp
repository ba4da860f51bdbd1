// LoadStringA follows the thread locale on some Windows versions and not on
// others; finding the string block by language ourselves behaves the same
// everywhere.
#include "string_table.h"

#include <string>

#include "core/string_block.h"
#include "osd_module.h"

namespace vx::osd {
namespace {

// The languages the table carries, for falling back within one language.
constexpr LANGID kTableLanguages[] = {1031, 1033, 1036, 1040, 1046, 3082};
constexpr LANGID kEnglish = 1033;

bool find_string(LANGID language, UINT id, std::u16string& text)
{
    HMODULE module = this_module();
    HRSRC info = FindResourceExA(module, MAKEINTRESOURCEA(6) /* RT_STRING */, MAKEINTRESOURCEA(id / 16 + 1),
                                 language);
    if (!info)
        return false;
    HGLOBAL handle = LoadResource(module, info);
    const void* data = handle ? LockResource(handle) : nullptr;
    if (!data)
        return false;
    const std::span<const std::uint8_t> block(static_cast<const std::uint8_t*>(data), SizeofResource(module, info));
    text = string_in_block(block, id % 16);
    return !text.empty();
}

int to_ansi(const std::u16string& text, char* buffer, int size)
{
    if (!buffer || size <= 0)
        return 0;
    buffer[0] = '\0';
    if (text.empty())
        return 0;
    int n = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()),
                                buffer, size - 1, nullptr, nullptr);
    if (n <= 0) {
        // Too long for the buffer: keep what fits, one character at a time.
        n = 0;
        for (char16_t c : text) {
            char one[8];
            const int m = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(&c), 1, one, sizeof one,
                                              nullptr, nullptr);
            if (m <= 0 || n + m > size - 1)
                break;
            for (int i = 0; i < m; ++i)
                buffer[n++] = one[i];
        }
    }
    buffer[n] = '\0';
    return n;
}

// The string in `language`, another variant of that language, or English.
bool find_in_language(LANGID language, UINT id, std::u16string& text)
{
    bool found = find_string(language, id, text);
    for (LANGID candidate : kTableLanguages) {
        if (found)
            break;
        if (PRIMARYLANGID(candidate) == PRIMARYLANGID(language))
            found = find_string(candidate, id, text);
    }
    return found || find_string(kEnglish, id, text);
}

} // namespace

int load_string_in(LANGID language, UINT id, char* buffer, int size)
{
    std::u16string text;
    if (!find_in_language(language, id, text)) {
        if (buffer && size > 0)
            buffer[0] = '\0';
        return 0;
    }
    return to_ansi(text, buffer, size);
}

std::u16string load_wide_string(UINT id)
{
    std::u16string text;
    find_in_language(LANGIDFROMLCID(GetThreadLocale()), id, text);
    return text;
}

int load_string(UINT id, char* buffer, int size)
{
    return load_string_in(LANGIDFROMLCID(GetThreadLocale()), id, buffer, size);
}

} // namespace vx::osd
