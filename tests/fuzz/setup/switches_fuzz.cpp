// setup's command line against a plain reference: drop every blank, split at
// the slashes, and look at no more than 15 switches of 15 characters.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/switches.h"

namespace {

vx::setup::SwitchFlags reference(std::string_view line)
{
    std::string packed;
    for (char c : line)
        if (c != ' ' && c != '\t')
            packed += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    vx::setup::SwitchFlags f;
    std::size_t slash = packed.find('/');
    for (int taken = 0; slash != std::string::npos && taken < 15; ++taken) {
        const std::size_t next = packed.find('/', slash + 1);
        const std::string name = packed.substr(slash + 1, next - slash - 1).substr(0, 15);
        if (name.empty())
            break;
        f.hidden |= name == "H" || name == "QN";
        f.silent |= name == "H" || name == "S";
        f.no_restart |= name == "NR";
        slash = next;
    }
    return f;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const vx::setup::SwitchFlags f = vx::setup::parse_switches(line);
    const vx::setup::SwitchFlags r = reference(line);
    if (f.hidden != r.hidden || f.silent != r.silent || f.no_restart != r.no_restart)
        __builtin_trap();
    return 0;
}
