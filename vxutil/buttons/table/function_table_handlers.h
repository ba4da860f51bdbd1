// The exports that run the table's rows, one slot per Handler value. Tests
// swap slots to watch dispatch without starting programs.
#pragma once
#include <windows.h>

#include <array>
#include <cstddef>

#include "core/function_table.h"

namespace vx::functions {

using HandlerFn = int(WINAPI*)();
using HandlerSlots = std::array<HandlerFn, static_cast<std::size_t>(Handler::Count)>;

HandlerSlots& handler_slots();

} // namespace vx::functions
