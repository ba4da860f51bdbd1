// A plain reference for separated fields, written from their rules: one pass
// over the whole text gives every field's offset and text at once. Leading
// blanks and tabs are dropped while nothing is copied outside quotes, quotes
// toggle protection and vanish, an unquoted separator ends a field (present
// even when empty), and blanks alone up to the end are no field.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vxtest {

struct ReferenceField {
    std::size_t offset;
    std::string text;
};

inline std::vector<ReferenceField> reference_fields(std::string_view text, char separator)
{
    std::vector<ReferenceField> fields;
    std::size_t begin = 0;
    while (begin < text.size()) {
        ReferenceField f{std::string_view::npos, {}};
        bool quoted = false, ended = false;
        std::size_t i = begin;
        for (; i < text.size() && !ended; ++i) {
            const char c = text[i];
            const bool leading = f.text.empty() && !quoted;
            if (leading && (c == ' ' || c == '\t'))
                continue;
            if (c == '"')
                quoted = !quoted;
            else if (c == separator && !quoted)
                ended = true;
            else
                f.text += c;
            if (f.offset == std::string_view::npos)
                f.offset = ended ? begin : i;
        }
        if (f.offset == std::string_view::npos)
            break;
        fields.push_back(f);
        begin = i;
    }
    return fields;
}

} // namespace vxtest
