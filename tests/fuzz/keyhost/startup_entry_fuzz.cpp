#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "core/startup_entry.h"

// A Run value as Windows stores it (UTF-16 units, little-endian): the program
// is always a part of the command; quoted, it holds no quote; unquoted, it
// has no blank at either end.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::wstring command;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        command.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    const std::wstring_view program = keyhost::run_command_program(command);
    if (!program.empty()) {
        if (program.data() < command.data() || program.data() + program.size() > command.data() + command.size())
            __builtin_trap();
        const bool quoted = program.data() > command.data() && program.data()[-1] == L'"';
        if (quoted ? program.find(L'"') != std::wstring_view::npos
                   : program.front() == L' ' || program.back() == L' ')
            __builtin_trap();
    }
    keyhost::startup_approved(std::span<const std::uint8_t>(data, size));
    return 0;
}
