// Text routines under the Str_* exports and the registry number parser:
// decimal/hexadecimal numbers, separated fields with double quotes protecting
// separators, and the split of a registry command line into program and
// arguments. No Windows header; every output is written through a capacity.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vx::text {

// Copies `source` into `dest` of `capacity` bytes, truncating when it does not
// fit and always terminating (nothing is written when capacity is 0). Returns
// the number of characters copied. The one bounded copy of the library.
std::size_t copy_text(char* dest, std::size_t capacity, std::string_view source);

// Decimal by default; an x or X switches to hexadecimal and restarts at 0;
// letters a-f count only in hexadecimal and are passed over in decimal; any
// other character (or the end of the view, or a NUL) ends the scan. No sign,
// no blank skipping; overflow wraps around in 32 bits.
std::int32_t string_to_integer(std::string_view text);

struct FieldScan {
    const char* next; // just past the separator that ended the field, or the terminating zero
    int start;        // start of the field relative to where the scan began, or -1 for no field
};

// Reads one field of `source` (zero-terminated). Leading blanks are dropped,
// quotes toggle protection of separators and are not copied. The field text
// goes to `field` (may be null) truncated to `capacity`.
FieldScan first_field(const char* source, char* field, std::size_t capacity, char separator);

// Offset of field n (1-based) within `source`, or -1 when there is none; the
// field's text goes to `field` (may be null) truncated to `capacity`.
int field_at(const char* source, int n, char* field, std::size_t capacity, char separator);

// Longest program or argument text ParseShellCommand handles, with the NUL.
inline constexpr std::size_t kShellFieldSize = 260;

// Splits a command line at spaces into the program and its arguments. Fields
// after the first that contain a backslash still belong to the program, so an
// unquoted "C:\Program Files\App\app.exe /x" keeps its path whole. Outputs
// (either may be null) are truncated to their capacities.
void parse_shell_command(const char* command, char* program, std::size_t program_capacity, char* arguments,
                         std::size_t arguments_capacity);

} // namespace vx::text
