// Registry command lines split into program and arguments, against the rules
// applied to the plain field reference: leading fields with a backslash join
// the program, the raw rest is the arguments; both cut to their buffers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/text_fields.h"
#include "fuzz/vxutil/field_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string command(reinterpret_cast<const char*>(data), size);
    char program[vx::text::kShellFieldSize];
    char arguments[vx::text::kShellFieldSize];
    vx::text::parse_shell_command(command.c_str(), program, sizeof program, arguments, sizeof arguments);

    const std::string line = command.c_str();
    const auto fields = vxtest::reference_fields(line, ' ');
    const std::size_t cut = vx::text::kShellFieldSize - 1;
    std::size_t k = 1;
    while (k < fields.size() && fields[k].text.substr(0, cut).find('\\') != std::string::npos)
        ++k;
    const std::size_t next = k < fields.size() ? fields[k].offset : line.size();
    std::string expected = k == 1 ? (fields.empty() ? "" : fields[0].text) : line.substr(0, next);
    while (k > 1 && next < line.size() && !expected.empty() && expected.back() == ' ')
        expected.pop_back();
    if (expected.substr(0, cut) != program || line.substr(next).substr(0, cut) != arguments)
        std::abort();
    return 0;
}
