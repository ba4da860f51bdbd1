#include "core/script_fields.h"

namespace vx::setup {
namespace {

void append_bounded(std::string& out, std::string_view text)
{
    if (out.size() >= kMaxFieldLength)
        return;
    out.append(text.substr(0, kMaxFieldLength - out.size()));
}

bool equal_ignoring_case(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

} // namespace

FieldResult read_field(std::string_view value, const MacroExpander& expand)
{
    FieldResult result{{}, 0};
    std::size_t i = 0;
    while (i < value.size() && (value[i] == ' ' || value[i] == '\t'))
        ++i;
    while (i < value.size()) {
        const char c = value[i];
        if (c == ',') {
            result.end = i;
            return result;
        }
        if (c == '"') {
            if (i + 1 < value.size() && value[i + 1] == '"') {
                i += 2;
                continue;
            }
            const std::size_t close = value.find('"', i + 1);
            const std::size_t stop = close == std::string_view::npos ? value.size() : close;
            append_bounded(result.text, value.substr(i + 1, stop - i - 1));
            i = close == std::string_view::npos ? value.size() : close + 1;
            continue;
        }
        if (c == '%') {
            const std::size_t close = value.find('%', i + 1);
            if (close == std::string_view::npos) {
                append_bounded(result.text, "%");
                ++i;
                continue;
            }
            std::string_view name = value.substr(i + 1, close - i - 1);
            if (name.size() > kMaxFieldLength)
                name = name.substr(0, kMaxFieldLength);
            if (expand)
                append_bounded(result.text, expand(name));
            i = close + 1;
            continue;
        }
        append_bounded(result.text, std::string_view(&value[i], 1));
        ++i;
    }
    result.end = value.size();
    return result;
}

std::size_t read_fields(std::string_view value, const MacroExpander& expand, std::string* fields,
                        std::size_t max_fields)
{
    std::size_t count = 0;
    std::size_t start = 0;
    while (count < max_fields) {
        FieldResult f = read_field(value.substr(start), expand);
        fields[count++] = std::move(f.text);
        const std::size_t end = start + f.end;
        if (end >= value.size())
            break;
        start = end + 1;
    }
    return count;
}

std::optional<BuiltinMacro> builtin_macro(std::string_view name)
{
    static constexpr struct {
        std::string_view name;
        BuiltinMacro macro;
    } table[] = {
        {"11", BuiltinMacro::System},      {"10", BuiltinMacro::Windows}, {"99", BuiltinMacro::Installation},
        {"1", BuiltinMacro::SetupFolder}, {"12", BuiltinMacro::Drivers}, {"17", BuiltinMacro::Inf},
        {"18", BuiltinMacro::Help},
    };
    for (const auto& row : table)
        if (equal_ignoring_case(name, row.name))
            return row.macro;
    return std::nullopt;
}

std::string expand_macro(std::string_view name, const MacroFolders& folders,
                         const std::function<std::string(std::string_view)>& strings_lookup)
{
    std::string text;
    if (auto macro = builtin_macro(name)) {
        switch (*macro) {
        case BuiltinMacro::System: text = folders.system; break;
        case BuiltinMacro::Windows: text = folders.windows; break;
        case BuiltinMacro::Installation: text = folders.installation; break;
        case BuiltinMacro::SetupFolder: text = folders.setup; break;
        case BuiltinMacro::Drivers: text = folders.windows + "\\System32\\Drivers"; break;
        case BuiltinMacro::Inf: text = folders.windows + "\\Inf"; break;
        case BuiltinMacro::Help: text = folders.windows + "\\Help"; break;
        }
    } else if (strings_lookup) {
        text = strings_lookup(name);
    }
    if (text.size() > kMaxFieldLength)
        text.resize(kMaxFieldLength);
    return text;
}

} // namespace vx::setup
