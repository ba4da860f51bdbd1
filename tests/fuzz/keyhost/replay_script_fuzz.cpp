#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/replay_script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto script = keyhost::parse_replay_script({reinterpret_cast<const char*>(data), size});
    using keyhost::StepKind;
    for (const auto& step : script.steps) {
        if (step.kind == StepKind::Screenshot && (step.name.empty() || step.name.size() > keyhost::kMaxNameLength))
            __builtin_trap();
        if (step.kind == StepKind::Text && (step.name.empty() || step.name.size() > keyhost::kMaxTextLength))
            __builtin_trap();
        if (step.kind == StepKind::Screen && (step.width > keyhost::kMaxScreenSide || step.height > keyhost::kMaxScreenSide ||
                                              (step.width == 0) != (step.height == 0)))
            __builtin_trap();
    }
    return 0;
}
