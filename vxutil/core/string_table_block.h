// Reading one string out of a string-table resource block: 16 entries, each
// a 16-bit length followed by that many UTF-16 code units. No Windows header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vx::resources {

// Resource block that holds string `id`, as FindResource numbers blocks.
inline constexpr unsigned block_of(unsigned id) { return id / 16 + 1; }
inline constexpr unsigned index_in_block(unsigned id) { return id % 16; }

// The code units of entry `index` (0..15); empty when the entry is empty or
// the block is too short to hold it.
std::span<const std::uint16_t> string_in_block(std::span<const std::uint16_t> block, unsigned index);

} // namespace vx::resources
