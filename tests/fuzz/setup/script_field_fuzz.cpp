// Script values: every field of a value, with macros that expand to long
// texts and to texts holding further macro syntax; and a round trip: texts
// without quotes, each written quoted and the quoted texts joined by commas,
// read back as themselves.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/script_fields.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string value(reinterpret_cast<const char*>(data), size);
    const vx::setup::MacroFolders folders{std::string(200, 's'), "C:\\W", "C:\\W\\S", std::string(259, 'p')};
    vx::setup::MacroExpander expand = [&](std::string_view name) {
        return vx::setup::expand_macro(name, folders, [](std::string_view key) { return std::string(key) + "%1%,\""; });
    };
    std::string fields[8];
    const std::size_t n = vx::setup::read_fields(value, expand, fields, 8);
    for (std::size_t i = 0; i < n; ++i)
        if (fields[i].size() > vx::setup::kMaxFieldLength)
            __builtin_trap();
    const vx::setup::FieldResult r = vx::setup::read_field(value, expand);
    if (r.end > value.size() || (r.end < value.size() && value[r.end] != ','))
        __builtin_trap();

    std::string texts[8], quoted = "\"";
    std::size_t count = 1;
    for (char c : value) {
        if (c == '|' && count < 8) {
            quoted += "\",\"";
            ++count;
        } else if (c != '"' && c != '|') {
            texts[count - 1] += c;
            quoted += c;
        }
    }
    quoted += '"';
    if (vx::setup::read_fields(quoted, expand, fields, 8) != count)
        __builtin_trap();
    for (std::size_t i = 0; i < count; ++i)
        if (fields[i] != texts[i].substr(0, vx::setup::kMaxFieldLength))
            __builtin_trap();
    return 0;
}
