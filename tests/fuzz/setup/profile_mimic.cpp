#include "fuzz/setup/profile_mimic.h"

#include <algorithm>
#include <cstring>

namespace vxtest {
namespace {

bool is_space(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 0x09 && u <= 0x0D) || u == 0x1A || u == 0x20;
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && is_space(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && is_space(s.back()))
        s.remove_suffix(1);
    return s;
}

// Wine's service folds the case of ASCII letters only.
unsigned char lower(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + 0x20) : u;
}

bool same_name(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lower(x) == lower(y);
           });
}

// Text up to the first NUL, as the service's string copies see it.
std::string_view text_of(const std::string& s) { return s.c_str(); }

// lstrcpyn of value into out (size characters) with the quote stripping of
// the service: the copy ends one character early when a quote was dropped.
std::size_t copy_entry(std::string_view value, char* out, std::size_t size)
{
    char quote = 0;
    if (value.size() > 1 && (value[0] == '\'' || value[0] == '"') && value.back() == value[0]) {
        quote = value[0];
        value.remove_prefix(1);
    }
    std::size_t n = std::min(value.size(), size - 1);
    std::memcpy(out, value.data(), n);
    out[n] = '\0';
    if (quote && size >= value.size())
        out[--n] = '\0';
    return n;
}

// The ANSI call hands out the first count characters of the wide buffer and
// a NUL after them; nothing beyond is written.
std::size_t hand_out(const std::string& wide, std::size_t count, char* out)
{
    std::memcpy(out, wide.data(), count);
    out[count] = '\0';
    return count;
}

} // namespace

ProfileMimic::ProfileMimic(std::string_view file)
{
    sections_.push_back({}); // what comes before the first section
    std::size_t i = 0;
    while (i < file.size()) {
        const std::size_t start = i;
        while (i < file.size() && file[i] != '\n' && file[i] != '\r')
            ++i;
        std::string_view line = trim(file.substr(start, i - start));
        while (i < file.size() && (file[i] == '\n' || file[i] == '\r'))
            ++i;
        if (line.empty())
            continue;
        const std::size_t close = line.rfind(']');
        if (line[0] == '[' && close != std::string_view::npos) {
            sections_.push_back({std::string(trim(line.substr(1, close - 1))), {}});
            continue;
        }
        const std::size_t equals = line.find('=');
        Key key{std::string(trim(line.substr(0, equals))), std::nullopt};
        if (equals != std::string_view::npos)
            key.value = std::string(trim(line.substr(equals + 1)));
        std::vector<Key>& keys = sections_.back().keys;
        if (!key.name.empty() || keys.empty() || keys.back().name.c_str()[0] != '\0')
            keys.push_back(std::move(key));
    }
}

const ProfileMimic::Section* ProfileMimic::find_section(std::string_view name) const
{
    for (const Section& s : sections_)
        if (same_name(text_of(s.name), name))
            return &s;
    return nullptr;
}

std::size_t ProfileMimic::read(const char* section, const char* key, const char* fallback, char* out,
                               std::size_t size) const
{
    if (!out || size < 3 || !section) {
        if (out && size)
            out[0] = '\0';
        return 0;
    }
    return key ? value(section, key, fallback ? fallback : "", out, size)
               : key_list(section, fallback ? fallback : "", out, size);
}

std::size_t ProfileMimic::key_list(const char* section, const char* fallback, char* out, std::size_t size) const
{
    std::string list(size, '\0');
    std::size_t at = 0;
    std::size_t left = size;
    const Section* s = find_section(section);
    for (const Key& k : s ? s->keys : std::vector<Key>{}) {
        const std::string_view name = text_of(k.name);
        if (left <= 2)
            break;
        if (!k.value || name.starts_with(';'))
            continue;
        const std::size_t n = std::min(name.size(), left - 2);
        list.replace(at, n, name.substr(0, n));
        list[at + n] = '\0';
        left -= n + 1;
        at += n + 1;
    }
    std::size_t count = size - left;
    if (left <= 1) { // cut: the last name loses its end, the list keeps a double NUL
        list[at - 1] = '\0';
        count = size - 2;
    }
    if (list[0] == '\0')
        count = copy_entry(fallback, list.data(), size);
    return hand_out(list, count, out);
}

std::size_t ProfileMimic::value(const char* section, const char* key, const char* fallback, char* out,
                                std::size_t size) const
{
    std::string_view use = fallback;
    while (use.size() > 1 && use.back() == ' ')
        use.remove_suffix(1);
    if (const Section* s = find_section(trim(section))) {
        const auto k = std::find_if(s->keys.begin(), s->keys.end(),
                                    [&](const Key& k) { return same_name(text_of(k.name), trim(key)); });
        if (k != s->keys.end() && k->value)
            use = text_of(*k->value);
    }
    std::string text(size, '\0');
    return hand_out(text, copy_entry(use, text.data(), size), out);
}

} // namespace vxtest
