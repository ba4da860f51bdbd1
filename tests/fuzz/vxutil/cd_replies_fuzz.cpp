// MCI replies and ASPI requests come from outside the library: a device
// driver's reply text, and request blocks filled in by any caller of the
// emulated ASPI entry point. Neither may make the library read or write
// outside what it was given. The texts are also held to plain references: a
// reply's leading number (atoi, capped at 10^9), a command built only when it
// fits, the drive cut to 259 characters, and the track that "previous track"
// plays from a position written out of three numbers.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
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

void check(bool holds)
{
    if (!holds)
        std::abort();
}

int reference_number(std::string_view text)
{
    const std::size_t start = text.find_first_not_of(" \t");
    text.remove_prefix(start == std::string_view::npos ? text.size() : start);
    const bool negative = text.starts_with('-');
    if (negative || text.starts_with('+'))
        text.remove_prefix(1);
    const std::string digits(text.substr(0, text.find_first_not_of("0123456789")));
    const std::string significant = digits.substr(std::min(digits.find_first_not_of('0'), digits.size()));
    const long long value = significant.size() > 10 ? 1000000000 : std::min(std::atoll(significant.c_str()), 1000000000LL);
    return static_cast<int>(negative ? -value : value);
}

void check_texts(std::string_view text)
{
    check(vx::mci::reply_number(text) == reference_number(text));
    const std::string_view prefix = text.substr(0, text.size() / 3), suffix = text.substr(text.size() / 3 * 2);
    const std::string_view argument = text.substr(prefix.size(), text.size() - prefix.size() - suffix.size());
    const auto built = vx::mci::command(prefix, argument, suffix);
    check(text.size() < vx::mci::kCommandCapacity ? built == std::string(text) : !built);
    const std::string drive(text.substr(0, vx::mci::kDriveCapacity - 1));
    check(vx::mci::drive_for_open(text, false) == drive);
    check(vx::mci::drive_for_open(text, true) == (drive.ends_with('\\') ? drive.substr(0, drive.size() - 1) : drive));
    if (text.size() >= 3) {
        const int track = static_cast<std::uint8_t>(text[0]), seconds = static_cast<std::uint8_t>(text[2]) % 8;
        const std::string position = std::to_string(track) + ":" + std::to_string(text[1] & 63) + ":0" +
                                     std::to_string(seconds) + ":00";
        check(vx::mci::previous_track_target(position) == (seconds < 3 ? track - 1 : track));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)vx::mci::previous_track_target(text);
    check_texts(text);

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
