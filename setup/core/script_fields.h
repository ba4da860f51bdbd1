// Script values: comma-separated fields with "quoted" parts and %name%
// directory macros. No Windows header; the Windows shell supplies the macro
// values through a callback.
#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vx::setup {

// Longest text a field or a macro name holds (the 260-byte buffers less NUL).
inline constexpr std::size_t kMaxFieldLength = 259;

// Gives the replacement of a macro name (without the percent signs).
using MacroExpander = std::function<std::string(std::string_view name)>;

struct FieldResult {
    std::string text; // at most kMaxFieldLength characters
    std::size_t end;  // index of the ',' that ended the field, or value.size()
};

// Reads the field that starts at value[0]. Leading blanks and tabs are
// skipped; "..." copies its contents verbatim, "" alone yields nothing;
// %name% is replaced by expand(name); a ',' ends the field. A '"' without
// a closing one quotes the rest of the value; a '%' without a closing one
// is kept as a literal character. Text beyond kMaxFieldLength is dropped
// but the value is still read to the end of the field.
FieldResult read_field(std::string_view value, const MacroExpander& expand);

// Splits a whole value into fields as the script steps read it: field after
// field, each one starting after the comma that ended the previous one.
// At most max_fields fields are read; missing ones are absent.
std::size_t read_fields(std::string_view value, const MacroExpander& expand, std::string* fields,
                        std::size_t max_fields);

// The built-in directory macros, in the order they are matched.
enum class BuiltinMacro { System, Windows, Installation, SetupFolder, Drivers, Inf, Help };
std::optional<BuiltinMacro> builtin_macro(std::string_view name);

// The folders the built-in macros stand for.
struct MacroFolders {
    std::string system;       // %11%
    std::string windows;      // %10%; %12%, %17%, %18% lie below it
    std::string installation; // %99%
    std::string setup;        // %1%
};

// Replacement of a macro name: a built-in folder, or the [Strings] value
// that lookup gives (nothing when it has none). Never expanded again and
// cut to kMaxFieldLength characters.
std::string expand_macro(std::string_view name, const MacroFolders& folders,
                         const std::function<std::string(std::string_view)>& strings_lookup);

} // namespace vx::setup
