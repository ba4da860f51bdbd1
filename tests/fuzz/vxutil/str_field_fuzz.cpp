// Separated fields: the first byte picks the separator and the field number,
// the rest is the source. Checks the offset lies inside the source and the
// field never outgrows it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/text_fields.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const char separator = static_cast<char>(data[0]);
    const int n = static_cast<int>(data[1] % 12) - 1;
    const std::string source(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::size_t length = std::strlen(source.c_str());
    std::string field(length + 1, '\0');
    const int offset = vx::text::field_at(source.c_str(), n, field.data(), field.size(), separator);
    if (offset < -1 || offset > static_cast<int>(length) || std::strlen(field.c_str()) > length)
        std::abort();
    char small[8];
    vx::text::field_at(source.c_str(), n, small, sizeof small, separator);
    if (std::strlen(small) >= sizeof small)
        std::abort();
    return 0;
}
