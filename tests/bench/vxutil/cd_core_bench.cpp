// Per-key costs of the portable CD and table code: a key event looks its row
// up by usage code or name, and every play-state check on the SCSI path goes
// through the emulated ASPI entry point.
#include <benchmark/benchmark.h>

#include <cstring>

#include "core/cdrom_search.h"
#include "core/aspi_emulation.h"
#include "core/disc_rules.h"
#include "core/function_table.h"
#include "core/mci_commands.h"

namespace {

struct FourDrives : vx::aspi::ScsiDevices {
    bool is_cdrom(char letter) override { return letter >= 'D' && letter <= 'G'; }
    std::intptr_t open(char letter) override { return letter; }
    void close(std::intptr_t) override {}
    std::uint32_t pass_through(std::intptr_t handle, vx::aspi::PassThrough& r) override
    {
        r.path_id = static_cast<std::uint8_t>(handle & 1);
        r.target_id = static_cast<std::uint8_t>(handle >> 1 & 3);
        if (r.data)
            std::memset(r.data, 0, r.length);
        return 0;
    }
};

void TableLookupByCode(benchmark::State& state)
{
    const std::uint32_t codes[] = {0xE9, 0xB0, 0x8004, 0x1234};
    for (auto _ : state)
        for (auto code : codes)
            benchmark::DoNotOptimize(vx::functions::find_by_code(code));
}
BENCHMARK(TableLookupByCode);

void TableLookupByName(benchmark::State& state)
{
    const char* names[] = {"volume up", "CD Play/Pause", "Excel", "no such key"};
    for (auto _ : state)
        for (auto name : names)
            benchmark::DoNotOptimize(vx::functions::find_by_name(name));
}
BENCHMARK(TableLookupByName);

void EmulatedBusSearch(benchmark::State& state)
{
    FourDrives drives;
    vx::aspi::Emulation emu(drives);
    emu.build();
    for (auto _ : state)
        benchmark::DoNotOptimize(vx::aspi::find_first_cdrom([&] { return emu.support_info(); },
                                                            [&](void* s) { return emu.send(s); }));
}
BENCHMARK(EmulatedBusSearch);

void EmulatedExecute(benchmark::State& state)
{
    FourDrives drives;
    vx::aspi::Emulation emu(drives);
    emu.build();
    std::uint8_t reply[16];
    std::uint8_t cdb[10];
    vx::aspi::read_subchannel_cdb(cdb);
    for (auto _ : state) {
        vx::aspi::Srb srb{};
        vx::aspi::fill_execute(srb.execute, {0, 1, 0}, vx::aspi::kFlagDataIn, cdb, reply, sizeof reply);
        benchmark::DoNotOptimize(emu.send(&srb));
    }
}
BENCHMARK(EmulatedExecute);

void PreviousTrackFromPosition(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(vx::mci::previous_track_target("05:01:02:00"));
}
BENCHMARK(PreviousTrackFromPosition);

} // namespace
