// Reads one string out of a string-table resource block. Portable: no Windows
// header. A block holds 16 strings, each a 16-bit length followed by that
// many UTF-16 code units; string id n lives in block n / 16 + 1 at index
// n % 16.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vx::osd {

// The string at `index` (0..15) of the block; empty when the block is too
// short for it or the index is out of range.
std::u16string string_in_block(std::span<const std::uint8_t> block, unsigned index);

// A table string with its first "%d" replaced by `number` in decimal; the
// strings are translations, so nothing else in them is a format.
std::u16string fill_number(std::u16string_view text, std::int64_t number);

} // namespace vx::osd
