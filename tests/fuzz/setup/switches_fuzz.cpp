// setup's command line.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/switches.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const vx::setup::SwitchFlags f = vx::setup::parse_switches(line);
    // The hidden switch alone never implies no-restart, and so on: the flags
    // only come from names; H is the only switch that sets two.
    if (f.no_restart && line.find_first_of("rR") == std::string_view::npos)
        __builtin_trap();
    return 0;
}
