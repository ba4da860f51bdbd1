#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

#include "core/cdrom_search.h"
#include "core/aspi_emulation.h"

using namespace vx::aspi;

namespace {

// Drives by letter: where they sit, what INQUIRY returns, and scripted errors
// for the commands passed through.
struct FakeDevices : ScsiDevices {
    struct Drive {
        bool cdrom = true;
        bool answers = true;
        std::uint8_t path = 0, target = 0, lun = 0;
        std::uint8_t vendor_byte = 0;
    };
    std::map<char, Drive> drives;
    std::vector<std::uint32_t> errors; // consumed one per pass-through after build
    std::vector<std::uint8_t> commands; // CDB byte 0 of every pass-through
    std::vector<Direction> directions;
    int opens = 0, closes = 0;
    std::map<std::intptr_t, char> open_handles;
    std::intptr_t next = 100;

    bool is_cdrom(char letter) override { return drives.count(letter) && drives[letter].cdrom; }
    std::intptr_t open(char letter) override
    {
        if (!drives.count(letter))
            return kNoHandle;
        ++opens;
        open_handles[next] = letter;
        return next++;
    }
    void close(std::intptr_t handle) override
    {
        ++closes;
        open_handles.erase(handle);
    }
    std::uint32_t pass_through(std::intptr_t handle, PassThrough& r) override
    {
        commands.push_back(r.cdb[0]);
        directions.push_back(r.direction);
        if (!open_handles.count(handle))
            return kErrorInvalidHandle;
        Drive& d = drives[open_handles[handle]];
        if (r.cdb[0] == 0x12) {
            if (!d.answers)
                return 31;
            r.path_id = d.path;
            r.target_id = d.target;
            r.lun = d.lun;
            std::memset(r.data, 0, r.length);
            r.data[0] = 5;
            r.data[8] = d.vendor_byte;
            r.data[35] = 0x5A;
            return 0;
        }
        if (!errors.empty()) {
            const std::uint32_t e = errors.front();
            errors.erase(errors.begin());
            return e;
        }
        return 0;
    }
};

Srb request(std::uint8_t command, std::uint8_t adapter)
{
    Srb s{};
    s.header.command = command;
    s.header.adapter = adapter;
    return s;
}

} // namespace

TEST(AspiEmulation, TableHoldsAnsweringCdromDrivesAndCountsDistinctPaths)
{
    FakeDevices dev;
    dev.drives['A'] = {};                       // below C: never probed
    dev.drives['D'] = {true, true, 1, 0, 0, 0};
    dev.drives['E'] = {true, false, 0, 0, 0, 0}; // does not answer INQUIRY
    dev.drives['F'] = {false, true, 0, 0, 0, 0}; // not a CD-ROM
    dev.drives['G'] = {true, true, 1, 1, 0, 0};
    dev.drives['H'] = {true, true, 3, 0, 0, 0};
    Emulation emu(dev);
    EXPECT_EQ(3, emu.build());
    EXPECT_EQ(2, emu.adapter_count()) << "path ids 1 and 3";
    EXPECT_EQ(0x102u, emu.support_info());
    EXPECT_EQ(0, emu.build()) << "built once until destroyed";
    EXPECT_EQ(1u, emu.entry('D' - 'A').present);
    EXPECT_EQ(3, emu.entry('D' - 'A').drive_index);
    EXPECT_EQ(kNoHandle, emu.entry('D' - 'A').handle);
    EXPECT_EQ(0u, emu.entry('E' - 'A').present);
    EXPECT_EQ(0u, emu.entry('A' - 'A').present);
    EXPECT_EQ(dev.opens, dev.closes) << "probe handles are closed";

    emu.destroy();
    EXPECT_FALSE(emu.built());
    EXPECT_EQ(3, emu.build());
}

TEST(AspiEmulation, NoDrivesAnswersNoAdapters)
{
    FakeDevices dev;
    Emulation emu(dev);
    EXPECT_EQ(0, emu.build());
    EXPECT_EQ(0xE800u, emu.support_info());
    EXPECT_FALSE(find_first_cdrom([&] { return emu.support_info(); }, [&](void* s) { return emu.send(s); }));
}

TEST(AspiEmulation, HostAdapterInquiryReportsTheEmulatedAdapter)
{
    FakeDevices dev;
    dev.drives['E'] = {};
    Emulation emu(dev);
    emu.build();
    Srb s = request(kHostAdapterInquiry, 0);
    EXPECT_EQ(kStatusComplete, emu.send(&s));
    EXPECT_EQ(1, s.inquiry.adapter_count);
    EXPECT_EQ(7, s.inquiry.own_scsi_id);
    EXPECT_EQ(0, std::memcmp(s.inquiry.manager_id, "VXASPI v1.0\0\0\0\0\0", 16));
    EXPECT_EQ(0, std::memcmp(s.inquiry.identifier, "SCSI Adapter 0  ", 16));
    EXPECT_EQ(8, s.inquiry.unique[3]);
    EXPECT_EQ(0x00, s.inquiry.unique[4]);
    EXPECT_EQ(0x00, s.inquiry.unique[5]);
    EXPECT_EQ(0x01, s.inquiry.unique[6]);
    EXPECT_EQ(0x00, s.inquiry.unique[7]);

    Srb bad = request(kHostAdapterInquiry, 1);
    EXPECT_EQ(kStatusInvalidAdapter, emu.send(&bad));
    EXPECT_EQ(1, bad.inquiry.adapter_count);

    EXPECT_EQ(kStatusError, emu.send(nullptr));
    Srb other = request(9, 0);
    EXPECT_EQ(kStatusError, emu.send(&other));
}

TEST(AspiEmulation, DeviceTypeAndBusSearchFindLowestAddress)
{
    FakeDevices dev;
    dev.drives['E'] = {true, true, 0, 3, 0, 0};
    dev.drives['F'] = {true, true, 0, 1, 2, 0};
    Emulation emu(dev);
    emu.build();
    Srb s = request(kGetDeviceType, 0);
    s.device.target = 1;
    s.device.lun = 2;
    EXPECT_EQ(kStatusComplete, emu.send(&s));
    EXPECT_EQ(kDeviceTypeCdrom, s.device.device_type);
    s = request(kGetDeviceType, 0);
    s.device.target = 1;
    EXPECT_EQ(kStatusNoDevice, emu.send(&s));
    EXPECT_EQ(kDeviceTypeUnknown, s.device.device_type);

    auto found = find_first_cdrom([&] { return emu.support_info(); }, [&](void* r) { return emu.send(r); });
    ASSERT_TRUE(found);
    EXPECT_EQ(0, found->adapter);
    EXPECT_EQ(1, found->target) << "F: sits at target 1, before E: at target 3";
    EXPECT_EQ(2, found->lun);
}

TEST(AspiEmulation, InquiryIsAnsweredFromTheTableWithoutTouchingTheDrive)
{
    FakeDevices dev;
    dev.drives['E'] = {true, true, 0, 0, 0, 0x77};
    Emulation emu(dev);
    emu.build();
    const auto before = dev.commands.size();
    std::uint8_t data[36] = {};
    std::uint8_t cdb[6] = {0x12, 0, 0, 0, 36, 0};
    Srb s = request(kExecuteScsi, 0);
    fill_execute(s.execute, {0, 0, 0}, kFlagDataIn, cdb, data, sizeof data);
    EXPECT_EQ(kStatusComplete, emu.send(&s));
    EXPECT_EQ(before, dev.commands.size());
    EXPECT_EQ(0x77, data[8]);
    EXPECT_EQ(0x5A, data[35]);

    // A short buffer receives only what it holds.
    std::uint8_t small[10];
    std::memset(small, 0xEE, sizeof small);
    fill_execute(s.execute, {0, 0, 0}, kFlagDataIn, cdb, small, 4);
    EXPECT_EQ(kStatusComplete, emu.send(&s));
    EXPECT_EQ(0xEE, small[4]);
}

TEST(AspiEmulation, ExecutePassesThroughAndRetriesOnceAfterMediaChange)
{
    FakeDevices dev;
    dev.drives['E'] = {};
    Emulation emu(dev);
    emu.build();
    std::uint8_t cdb[10] = {0x42};
    std::uint8_t data[16];
    Srb s = request(kExecuteScsi, 0);
    fill_execute(s.execute, {0, 0, 0}, kFlagDataIn, cdb, data, sizeof data);

    EXPECT_EQ(kStatusComplete, emu.send(&s));
    EXPECT_EQ(Direction::In, dev.directions.back());
    EXPECT_NE(kNoHandle, emu.entry('E' - 'A').handle) << "the handle stays open between requests";
    const int opens = dev.opens;
    EXPECT_EQ(kStatusComplete, emu.send(&s));
    EXPECT_EQ(opens, dev.opens);

    dev.errors = {kErrorMediaChanged};
    dev.commands.clear();
    EXPECT_EQ(kStatusComplete, emu.send(&s));
    EXPECT_EQ((std::vector<std::uint8_t>{0x42, 0x12, 0x42}), dev.commands) << "fail, re-probe, retry";

    dev.errors = {kErrorMediaChanged, kErrorMediaChanged};
    EXPECT_EQ(kStatusError, emu.send(&s)) << "only one retry";
    EXPECT_EQ(kStatusError, s.execute.target_status);

    dev.errors = {31};
    dev.commands.clear();
    EXPECT_EQ(kStatusError, emu.send(&s));
    EXPECT_EQ(1u, dev.commands.size()) << "other errors are not retried";

    Srb out = request(kExecuteScsi, 0);
    fill_execute(out.execute, {0, 0, 0}, kFlagDataOut, cdb, data, sizeof data);
    emu.send(&out);
    EXPECT_EQ(Direction::Out, dev.directions.back());

    Srb nobody = request(kExecuteScsi, 0);
    fill_execute(nobody.execute, {0, 5, 0}, kFlagDataIn, cdb, data, sizeof data);
    EXPECT_EQ(kStatusError, emu.send(&nobody));

    const int closes = dev.closes;
    emu.destroy();
    EXPECT_EQ(closes + 1, dev.closes) << "the open drive handle is closed";
}
