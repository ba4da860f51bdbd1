#include "core/string_table_block.h"

namespace vx::resources {

std::span<const std::uint16_t> string_in_block(std::span<const std::uint16_t> block, unsigned index)
{
    std::size_t pos = 0;
    for (unsigned i = 0; i < 16; ++i) {
        if (pos >= block.size())
            return {};
        const std::size_t length = block[pos++];
        if (length > block.size() - pos)
            return {};
        if (i == index)
            return block.subspan(pos, length);
        pos += length;
    }
    return {};
}

} // namespace vx::resources
