#include "core/mci_commands.h"

namespace vx::mci {
namespace {

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// atoi over a field: optional blanks and sign, then digits; saturates
// instead of overflowing.
int field_number(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+'))
        negative = s[i++] == '-';
    long long value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        value = value * 10 + (s[i] - '0');
        if (value > 1000000000)
            value = 1000000000;
    }
    return static_cast<int>(negative ? -value : value);
}

} // namespace

std::optional<std::string> command(std::string_view prefix, std::string_view argument, std::string_view suffix)
{
    if (prefix.size() + argument.size() + suffix.size() >= kCommandCapacity)
        return std::nullopt;
    std::string text;
    text.reserve(prefix.size() + argument.size() + suffix.size());
    text.append(prefix).append(argument).append(suffix);
    return text;
}

std::string drive_for_open(std::string_view drive, bool drop_backslash)
{
    std::string copy(drive.substr(0, kDriveCapacity - 1));
    if (drop_backslash && !copy.empty() && copy.back() == '\\')
        copy.pop_back();
    return copy;
}

std::optional<std::string> open_command(const char* drive, std::string_view alias)
{
    std::string suffix = " alias ";
    suffix.append(alias).append(" shareable");
    if (!drive)
        return command("open cdaudio", "", suffix);
    return command("open ", drive, " type cdaudio" + suffix);
}

bool reply_is(std::string_view reply, std::string_view word)
{
    if (reply.size() != word.size())
        return false;
    for (std::size_t i = 0; i < reply.size(); ++i) {
        if (lower(reply[i]) != lower(word[i]))
            return false;
    }
    return true;
}

int previous_track_target(std::string_view position)
{
    int fields[3] = {0, 0, 0};
    for (int& f : fields) {
        const std::size_t colon = position.find(':');
        f = field_number(position.substr(0, colon));
        if (colon == std::string_view::npos) {
            position = {};
            continue;
        }
        position.remove_prefix(colon + 1);
    }
    const int track = fields[0];
    const int seconds = fields[2];
    return seconds < 3 ? track - 1 : track;
}

int reply_number(std::string_view reply) { return field_number(reply); }

} // namespace vx::mci
