// Registry number texts through the decimal/hex reader.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/text_fields.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    vx::text::string_to_integer(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
