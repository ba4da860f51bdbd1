#include "services/resource_strings.h"

#include <string>

#include "module.h"
#include "core/string_table_block.h"
#include "core/text_fields.h"

namespace vx {
namespace {

std::span<const std::uint16_t> find_block(HMODULE module, UINT id, LANGID language)
{
    const WORD block = static_cast<WORD>(resources::block_of(id));
    HRSRC found = FindResourceExA(module, MAKEINTRESOURCEA(6) /* RT_STRING */, MAKEINTRESOURCEA(block), language);
    if (!found)
        return {};
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        return {};
    return {static_cast<const std::uint16_t*>(data), SizeofResource(module, found) / sizeof(std::uint16_t)};
}

} // namespace

int load_string(HMODULE module, UINT id, char* buffer, int size, LANGID language)
{
    if (!buffer || size <= 0)
        return 0;
    buffer[0] = '\0';
    const LANGID candidates[] = {
        language,
        MAKELANGID(PRIMARYLANGID(language), SUBLANG_DEFAULT),
        MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
        MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
    };
    for (LANGID candidate : candidates) {
        const auto block = find_block(module, id, candidate);
        if (block.empty())
            continue;
        const auto units = resources::string_in_block(block, resources::index_in_block(id));
        if (units.empty())
            return 0;
        const auto* wide = reinterpret_cast<const wchar_t*>(units.data());
        const int count = static_cast<int>(units.size());
        const int needed = WideCharToMultiByte(CP_ACP, 0, wide, count, nullptr, 0, nullptr, nullptr);
        if (needed <= 0)
            return 0;
        std::string text(static_cast<std::size_t>(needed), '\0');
        WideCharToMultiByte(CP_ACP, 0, wide, count, text.data(), needed, nullptr, nullptr);
        return static_cast<int>(text::copy_text(buffer, static_cast<std::size_t>(size), text));
    }
    return 0;
}

int load_string(UINT id, char* buffer, int size)
{
    return load_string(this_module(), id, buffer, size, LANGIDFROMLCID(GetThreadLocale()));
}

} // namespace vx
