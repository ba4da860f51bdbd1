// MCI replies and ASPI requests come from outside the library: a device
// driver's reply text, and request blocks filled in by any caller of the
// emulated ASPI entry point. Neither may make the library read or write
// outside what it was given.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "core/aspi_emulation.h"
#include "core/mci_commands.h"

namespace {

struct OneDrive : vx::aspi::ScsiDevices {
    bool is_cdrom(char letter) override { return letter == 'E'; }
    std::intptr_t open(char) override { return 1; }
    void close(std::intptr_t) override {}
    std::uint32_t pass_through(std::intptr_t, vx::aspi::PassThrough& r) override
    {
        if (r.data && r.length)
            std::memset(r.data, 0x20, r.length);
        return r.cdb_length && r.cdb[0] == 0x43 ? vx::aspi::kErrorMediaChanged : 0;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)vx::mci::previous_track_target(text);
    (void)vx::mci::reply_number(text);
    (void)vx::mci::command("play vxbcd from ", text);
    (void)vx::mci::drive_for_open(text, true);

    OneDrive drives;
    vx::aspi::Emulation emu(drives);
    emu.build();
    vx::aspi::Srb srb{};
    std::memcpy(srb.bytes, data, size < sizeof srb.bytes ? size : sizeof srb.bytes);
    // Pointers cannot come from the input: aim the buffer at a local block
    // and keep the length the input chose within it or larger.
    std::uint8_t buffer[64];
    srb.execute.buffer = buffer;
    if (srb.execute.buffer_length > sizeof buffer)
        srb.execute.buffer_length = sizeof buffer;
    srb.execute.post = nullptr;
    emu.send(&srb);
    emu.destroy();
    return 0;
}
