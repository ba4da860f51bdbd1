#include "core/profile_codec.h"

#include "core/text_fields.h"

namespace vx::profile {
namespace {

class PathBuilder {
public:
    explicit PathBuilder(char (&out)[kPathSize]) : out_(out) { out_[0] = '\0'; }
    void add(std::string_view part)
    {
        if (!ok_ || part.size() > kPathSize - 1 - length_) {
            ok_ = false;
            return;
        }
        for (char c : part)
            out_[length_++] = c;
        out_[length_] = '\0';
    }
    bool finish()
    {
        if (!ok_)
            out_[0] = '\0';
        return ok_;
    }

private:
    char (&out_)[kPathSize];
    std::size_t length_ = 0;
    bool ok_ = true;
};

// Text of a REG_SZ value: up to its first NUL or the end of the data.
std::string_view as_text(std::span<const std::uint8_t> data)
{
    const char* chars = reinterpret_cast<const char*>(data.data());
    std::size_t n = 0;
    while (n < data.size() && chars[n])
        ++n;
    return {chars, n};
}

std::int32_t little_endian(std::span<const std::uint8_t> data)
{
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4 && i < data.size(); ++i)
        v |= static_cast<std::uint32_t>(data[i]) << (8 * i);
    return static_cast<std::int32_t>(v);
}

char upper_ascii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool equals_ignoring_case(std::string_view text, std::string_view other)
{
    if (text.size() != other.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (upper_ascii(text[i]) != upper_ascii(other[i]))
            return false;
    }
    return true;
}

} // namespace

bool compose_user_path(std::string_view root, std::string_view user, std::string_view section,
                       char (&out)[kPathSize])
{
    PathBuilder path(out);
    path.add(root);
    if (!user.empty()) {
        path.add("\\users\\");
        path.add(user);
    }
    if (!section.empty()) {
        path.add("\\");
        path.add(section);
    }
    return path.finish();
}

bool compose_machine_path(std::string_view root, std::string_view section, char (&out)[kPathSize])
{
    return compose_user_path(root, {}, section, out);
}

std::optional<std::int32_t> decode_number(std::uint32_t type, std::span<const std::uint8_t> data)
{
    switch (type) {
    case kTypeString:
        return text::string_to_integer(as_text(data));
    case kTypeDword:
    case kTypeBinary:
        if (data.size() != 4)
            return std::nullopt;
        return little_endian(data);
    default:
        return std::nullopt;
    }
}

std::optional<std::int32_t> decode_bool(std::uint32_t type, std::span<const std::uint8_t> data)
{
    switch (type) {
    case kTypeString: {
        const std::string_view text = as_text(data);
        if (equals_ignoring_case(text, "TRUE"))
            return 1;
        if (equals_ignoring_case(text, "FALSE"))
            return 0;
        return text::string_to_integer(text);
    }
    case kTypeDword:
    case kTypeBinary:
        return little_endian(data);
    default:
        return std::nullopt;
    }
}

std::string rename_variables(std::string_view text, std::span<const VariableRename> renames)
{
    std::string out;
    out.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t open = text.find('%', at);
        const std::size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
        if (close == std::string_view::npos) {
            out.append(text.substr(at));
            break;
        }
        out.append(text.substr(at, open - at));
        std::string_view name = text.substr(open + 1, close - open - 1);
        for (const VariableRename& r : renames) {
            if (equals_ignoring_case(name, r.from)) {
                name = r.to;
                break;
            }
        }
        out.append(1, '%').append(name).append(1, '%');
        at = close + 1;
    }
    return out;
}

} // namespace vx::profile
