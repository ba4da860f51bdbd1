// Registry values as the profile store decodes them (the first byte is the
// value type, the rest its data), and round trips: a number written as
// decimal or hexadecimal text or as four little-endian bytes reads back as
// itself, "true"/"false" in any case as 1/0; a composed path is its parts
// joined by backslashes, or nothing when that does not fit; renaming a
// variable to a name of the same length keeps an expandable text's length.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "core/profile_codec.h"

using namespace vx::profile;

namespace {

void check(bool holds)
{
    if (!holds)
        std::abort();
}

std::span<const std::uint8_t> bytes(std::string_view text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 5)
        return 0;
    const std::uint32_t type = data[0] % 8;
    const std::span<const std::uint8_t> value(data + 1, size - 1);
    decode_number(type, value);
    decode_bool(type, value);

    std::uint32_t n = 0;
    std::memcpy(&n, data + 1, 4); // this machine is little-endian, as the registry
    char text[16];
    for (const char* format : {"%u", "0x%x", "0X%X"}) {
        std::snprintf(text, sizeof text, format, n);
        check(decode_number(kTypeString, bytes(text)) == static_cast<std::int32_t>(n));
    }
    check(decode_number(kTypeDword, value.first(4)) == static_cast<std::int32_t>(n));
    check(!decode_number(kTypeBinary, value.first(3)));
    check(decode_bool(kTypeBinary, value.first(2)) == static_cast<std::int32_t>(n & 0xFFFF));
    std::string word = n & 1 ? "TRUE" : "FALSE";
    for (std::size_t i = 0; i < word.size(); ++i)
        word[i] = static_cast<char>(n >> (i + 1) & 1 ? word[i] | 0x20 : word[i]);
    check(decode_bool(kTypeString, bytes(word)) == static_cast<std::int32_t>(n & 1));

    const std::string_view all(reinterpret_cast<const char*>(data + 5), size - 5);
    const std::string_view root = all.substr(0, all.size() / 2), user = all.substr(all.size() / 2, data[1]),
                           section = all.substr(all.size() / 2).substr(user.size());
    std::string joined(root);
    if (!user.empty())
        joined.append("\\users\\").append(user);
    if (!section.empty())
        joined.append("\\").append(section);
    const VariableRename same[] = {{"a", "A"}};
    check(rename_variables(all, same).size() == all.size());

    char path[kPathSize];
    const bool fits = joined.size() < kPathSize;
    check(compose_user_path(root, user, section, path) == fits);
    check(fits ? std::memcmp(path, joined.c_str(), joined.size() + 1) == 0 : path[0] == '\0');
    return 0;
}
