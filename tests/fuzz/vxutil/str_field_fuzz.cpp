// Separated fields: the first byte picks the separator and the field number,
// the rest is the source. Field n's offset and text, cut to the buffer, are
// those of a plain reference that splits the whole source at once.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/text_fields.h"
#include "fuzz/vxutil/field_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const char separator = static_cast<char>(data[0]);
    const int n = static_cast<int>(data[1] % 12) - 1;
    const std::string source(reinterpret_cast<const char*>(data + 2), size - 2);
    const auto fields = vxtest::reference_fields(source.c_str(), separator);
    const bool present = n >= 1 && static_cast<std::size_t>(n) <= fields.size();
    char field[8];
    const int offset = vx::text::field_at(source.c_str(), n, field, sizeof field, separator);
    if (offset != (present ? static_cast<int>(fields[n - 1].offset) : -1))
        std::abort();
    if (present && fields[n - 1].text.substr(0, sizeof field - 1) != field)
        std::abort();
    return 0;
}
