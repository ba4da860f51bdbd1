#include "core/text_fields.h"

#include <cstring>

namespace vx::text {

std::size_t copy_text(char* dest, std::size_t capacity, std::string_view source)
{
    if (!dest || capacity == 0)
        return 0;
    const std::size_t n = source.size() < capacity ? source.size() : capacity - 1;
    if (n)
        std::memcpy(dest, source.data(), n);
    dest[n] = '\0';
    return n;
}

std::int32_t string_to_integer(std::string_view text)
{
    std::uint32_t value = 0;
    std::uint32_t base = 10;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            value = value * base + static_cast<std::uint32_t>(c - '0');
        } else if ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')) {
            if (base == 16) {
                const char lower = static_cast<char>(c | 0x20);
                value = value * 16 + static_cast<std::uint32_t>(lower - 'a' + 10);
            }
        } else if (c == 'x' || c == 'X') {
            base = 16;
            value = 0;
        } else {
            break;
        }
    }
    return static_cast<std::int32_t>(value);
}

FieldScan first_field(const char* source, char* field, std::size_t capacity, char separator)
{
    std::size_t copied = 0;   // characters of the field, whether or not they fit
    std::size_t stored = 0;   // characters written to `field`
    int start = -1;
    bool quoted = false;
    const char* p = source;
    if (!source || !*source) {
        if (field && capacity)
            field[0] = '\0';
        return {source, -1};
    }
    for (; *p; ++p) {
        const char c = *p;
        if (copied == 0 && !quoted && (c == ' ' || c == '\t'))
            continue;
        if (c == '"') {
            quoted = !quoted;
            if (start < 0)
                start = static_cast<int>(p - source);
            continue;
        }
        if (!quoted && c == separator) {
            if (start < 0)
                start = 0;
            ++p;
            break;
        }
        if (start < 0)
            start = static_cast<int>(p - source);
        if (field && stored + 1 < capacity)
            field[stored++] = c;
        ++copied;
    }
    if (field && capacity)
        field[stored] = '\0';
    return {p, start};
}

int field_at(const char* source, int n, char* field, std::size_t capacity, char separator)
{
    if (n <= 0 || !source)
        return -1;
    const char* begin = source;
    FieldScan scan{source, -1};
    for (int i = 0; i < n; ++i) {
        begin = scan.next;
        scan = first_field(begin, field, capacity, separator);
        if (scan.start < 0)
            return -1;
    }
    return static_cast<int>(begin - source) + scan.start;
}

void parse_shell_command(const char* command, char* program, std::size_t program_capacity, char* arguments,
                         std::size_t arguments_capacity)
{
    if (program && program_capacity)
        program[0] = '\0';
    if (arguments && arguments_capacity)
        arguments[0] = '\0';
    if (!command)
        return;

    char field[kShellFieldSize];
    int k = 1;
    int next_start = -1; // offset of field k + 1, -1 when there is none
    for (;;) {
        next_start = field_at(command, k + 1, field, sizeof field, ' ');
        if (next_start < 0 || !std::strchr(field, '\\'))
            break;
        ++k;
    }

    if (program) {
        if (k == 1) {
            field_at(command, 1, program, program_capacity, ' ');
        } else {
            std::size_t end = next_start < 0 ? std::strlen(command) : static_cast<std::size_t>(next_start);
            while (next_start >= 0 && end > 0 && command[end - 1] == ' ')
                --end;
            copy_text(program, program_capacity, std::string_view(command, end));
        }
    }
    if (arguments && next_start >= 0)
        copy_text(arguments, arguments_capacity, std::string_view(command + next_start));
}

} // namespace vx::text
