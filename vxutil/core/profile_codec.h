// The profile store's registry paths and value decoding, without Windows:
// where a section lives for the user and for the machine, how numbers and
// bools stored as text, DWORD or binary data read back, and the folder
// variables of an expandable text read from the other registry view.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vx::profile {

// Registry paths and texts the store reads are held in MAX_PATH buffers.
inline constexpr std::size_t kPathSize = 260;

// Registry value types, as the registry numbers them.
inline constexpr std::uint32_t kTypeString = 1;       // REG_SZ
inline constexpr std::uint32_t kTypeExpandString = 2; // REG_EXPAND_SZ
inline constexpr std::uint32_t kTypeBinary = 3;       // REG_BINARY
inline constexpr std::uint32_t kTypeDword = 4;        // REG_DWORD

// "root\users\<user>\<section>" (the users level only for a non-empty user,
// the section only when non-empty). False, with `out` emptied, when the path
// does not fit in kPathSize - 1 characters: a cut path would name another key.
bool compose_user_path(std::string_view root, std::string_view user, std::string_view section,
                       char (&out)[kPathSize]);
// "root\<section>" under the same rules.
bool compose_machine_path(std::string_view root, std::string_view section, char (&out)[kPathSize]);

// A number: REG_SZ parsed as decimal/hex text, REG_DWORD, or REG_BINARY of
// exactly four bytes (little-endian). Anything else is missing.
std::optional<std::int32_t> decode_number(std::uint32_t type, std::span<const std::uint8_t> data);

// A bool, not folded to 0/1: REG_SZ "TRUE"/"FALSE" in any case, else the text
// as a number; REG_DWORD or REG_BINARY: the first four bytes little-endian,
// zero-filled when the value is shorter. Other types are missing.
std::optional<std::int32_t> decode_bool(std::uint32_t type, std::span<const std::uint8_t> data);

// One environment variable of an expandable registry text read as another.
struct VariableRename {
    std::string_view from;
    std::string_view to;
};

// `text` with each variable reference "%from%" (name in any case) of
// `renames` written as "%to%"; everything else, unpaired "%" included, stays.
// References pair up left to right as the system's expansion pairs them. A
// 32-bit process reads a 64-bit program's "%ProgramFiles%" this way as
// "%ProgramW6432%", so the text names that program's own folder.
std::string rename_variables(std::string_view text, std::span<const VariableRename> renames);

} // namespace vx::profile
