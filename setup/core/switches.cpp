#include "core/switches.h"

#include <string>

namespace vx::setup {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

void apply(std::string_view name, SwitchFlags& flags)
{
    if (name == "H") {
        flags.hidden = true;
        flags.silent = true;
    } else if (name == "S") {
        flags.silent = true;
    } else if (name == "QN") {
        flags.hidden = true;
    } else if (name == "NR") {
        flags.no_restart = true;
    }
    // "V", "TYPE:PS2", "TYPE:USB", "PRELOAD", "P" and unknown names: no effect.
}

} // namespace

SwitchFlags parse_switches(std::string_view command_line, SwitchFlags flags)
{
    std::size_t i = command_line.find('/');
    std::size_t taken = 0;
    while (i != std::string_view::npos && taken < kMaxSwitches) {
        ++i; // past the slash
        std::string name;
        while (i < command_line.size() && command_line[i] != '/') {
            const char c = command_line[i++];
            if (!is_blank(c) && name.size() < kMaxSwitchLength)
                name.push_back(upper(c));
        }
        if (name.empty())
            break;
        apply(name, flags);
        ++taken;
        i = i < command_line.size() ? i : std::string_view::npos;
    }
    return flags;
}

} // namespace vx::setup
