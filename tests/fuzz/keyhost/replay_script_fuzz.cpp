#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/replay_script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto script = keyhost::parse_replay_script({reinterpret_cast<const char*>(data), size});
    for (const auto& step : script.steps) {
        if (step.kind == keyhost::StepKind::Screenshot && (step.name.empty() || step.name.size() > keyhost::kMaxNameLength))
            __builtin_trap();
    }
    return 0;
}
