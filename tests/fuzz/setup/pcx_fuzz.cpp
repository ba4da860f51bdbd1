// PCX files as the logo loader reads them.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/pcx_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::span<const std::uint8_t> file(data, size);
    vx::setup::PcxImage image;
    if (vx::setup::decode_pcx(file, image) == vx::setup::PcxError::None) {
        if (image.pixels.size() != image.stride * image.height || image.pixels.size() > vx::setup::kPcxMaxPixelBytes)
            __builtin_trap();
        if (image.stride * 8 < std::size_t{image.width} * image.bits_per_pixel)
            __builtin_trap();
        // Only depths a device-independent bitmap can hold leave the decoder.
        if (image.bits_per_pixel != 1 && image.bits_per_pixel != 4 && image.bits_per_pixel != 8)
            __builtin_trap();
    }
    (void)vx::setup::pcx_palette(file);
    return 0;
}
