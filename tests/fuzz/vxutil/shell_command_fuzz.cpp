// Registry command lines split into program and arguments, both bounded.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/text_fields.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string command(reinterpret_cast<const char*>(data), size);
    char program[vx::text::kShellFieldSize];
    char arguments[vx::text::kShellFieldSize];
    vx::text::parse_shell_command(command.c_str(), program, sizeof program, arguments, sizeof arguments);
    if (std::strlen(program) >= sizeof program || std::strlen(arguments) >= sizeof arguments)
        std::abort();
    return 0;
}
