// The Str_* exports, StringToInteger and ParseShellCommand over the portable
// text routines. These exports take no buffer size: a field buffer must hold
// the whole source, so copies are bounded by the source's length; shell
// command outputs are bounded to MAX_PATH.
#include <windows.h>

#include <cstring>

#include "core/text_fields.h"
#include "vxutil.h"

namespace {

std::size_t whole_source(const char* source) { return source ? std::strlen(source) + 1 : 1; }

} // namespace

extern "C" int WINAPI StringToInteger(const char* text)
{
    return text ? vx::text::string_to_integer(text) : 0;
}

extern "C" const char* WINAPI Str_GetFirstField(const char* source, char* field, char separator, int* start)
{
    const auto scan = vx::text::first_field(source, field, whole_source(source), separator);
    if (start)
        *start = scan.start;
    return scan.next;
}

extern "C" int WINAPI Str_GetField(const char* source, int n, char* field, char separator)
{
    if (!source) {
        if (field)
            field[0] = '\0';
        return -1;
    }
    return vx::text::field_at(source, n, field, whole_source(source), separator);
}

extern "C" int WINAPI ParseShellCommand(const char* command, char* program, char* arguments)
{
    vx::text::parse_shell_command(command, program, vx::text::kShellFieldSize, arguments, vx::text::kShellFieldSize);
    return program && *program ? 1 : 0;
}
