// Registry values as the profile store decodes them: the first byte is the
// value type, the rest its data.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "core/profile_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::uint32_t type = data[0] % 8;
    const std::span<const std::uint8_t> value(data + 1, size - 1);
    vx::profile::decode_number(type, value);
    vx::profile::decode_bool(type, value);
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    char path[vx::profile::kPathSize];
    vx::profile::compose_user_path(text, text.substr(0, text.size() / 2), text.substr(text.size() / 3), path);
    return 0;
}
