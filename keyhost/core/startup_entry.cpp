#include "core/startup_entry.h"

namespace keyhost {
namespace {

bool blank(wchar_t c) { return c == L' ' || c == L'\t'; }

wchar_t lower_ascii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

} // namespace

std::wstring_view run_command_program(std::wstring_view command)
{
    while (!command.empty() && blank(command.front()))
        command.remove_prefix(1);
    while (!command.empty() && blank(command.back()))
        command.remove_suffix(1);
    if (!command.empty() && command.front() == L'"') {
        command.remove_prefix(1);
        return command.substr(0, command.find(L'"'));
    }
    // Unquoted: a path may hold blanks, so the program ends after ".exe".
    for (std::size_t i = 0; i + 4 <= command.size(); ++i) {
        if (command[i] == L'.' && lower_ascii(command[i + 1]) == L'e' && lower_ascii(command[i + 2]) == L'x' &&
            lower_ascii(command[i + 3]) == L'e' && (i + 4 == command.size() || blank(command[i + 4])))
            return command.substr(0, i + 4);
    }
    std::size_t end = 0;
    while (end < command.size() && !blank(command[end]))
        ++end;
    return command.substr(0, end);
}

bool startup_approved(std::span<const std::uint8_t> value) { return value.empty() || (value[0] & 1) == 0; }

} // namespace keyhost
