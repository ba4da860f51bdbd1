#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/scsi_commands.h"

using namespace vx::aspi;

namespace {

// Replies in order; records the CDBs and the waits.
struct Script {
    std::vector<std::vector<std::uint8_t>> replies;
    std::vector<bool> ok;
    std::vector<std::vector<std::uint8_t>> cdbs;
    std::vector<std::uint32_t> waits;
    std::size_t next = 0;
    ExecuteIn execute()
    {
        return [this](std::span<const std::uint8_t> cdb, std::uint8_t* data, std::uint32_t length) {
            cdbs.emplace_back(cdb.begin(), cdb.end());
            const std::size_t i = next++;
            if (i >= replies.size())
                return false;
            std::memcpy(data, replies[i].data(), std::min<std::size_t>(length, replies[i].size()));
            return ok.size() > i ? static_cast<bool>(ok[i]) : true;
        };
    }
    WaitMs wait()
    {
        return [this](std::uint32_t ms) { waits.push_back(ms); };
    }
};

std::vector<std::uint8_t> subchannel(std::uint8_t status, std::uint32_t address)
{
    std::vector<std::uint8_t> r(16, 0);
    r[1] = status;
    r[8] = static_cast<std::uint8_t>(address >> 24);
    r[9] = static_cast<std::uint8_t>(address >> 16);
    r[10] = static_cast<std::uint8_t>(address >> 8);
    r[11] = static_cast<std::uint8_t>(address);
    return r;
}

std::vector<std::uint8_t> mechanism(std::uint32_t block)
{
    std::vector<std::uint8_t> r(8, 0);
    r[2] = static_cast<std::uint8_t>(block >> 16);
    r[3] = static_cast<std::uint8_t>(block >> 8);
    r[4] = static_cast<std::uint8_t>(block);
    return r;
}

} // namespace

TEST(AudioTest, PlayInProgressAnswersWithoutSecondRead)
{
    Script s;
    s.replies = {subchannel(0x11, 100)};
    EXPECT_EQ(1, audio_moving(s.execute(), s.wait()));
    EXPECT_EQ(1u, s.cdbs.size());
    EXPECT_TRUE(s.waits.empty());
    EXPECT_EQ((std::vector<std::uint8_t>{0x42, 0, 0x40, 0x01, 0, 0, 0, 0, 16, 0}), s.cdbs[0]);
}

TEST(AudioTest, MovementMustExceedTwoBlocksIn200Ms)
{
    Script exactly_two;
    exactly_two.replies = {subchannel(0x15, 0x01000000), subchannel(0x15, 0x01000002)};
    EXPECT_EQ(0, audio_moving(exactly_two.execute(), exactly_two.wait()));
    EXPECT_EQ(std::vector<std::uint32_t>{200}, exactly_two.waits);

    Script three;
    three.replies = {subchannel(0x13, 500), subchannel(0x13, 503)};
    EXPECT_EQ(1, audio_moving(three.execute(), three.wait()));

    Script back;
    back.replies = {subchannel(0x13, 500), subchannel(0x13, 10)};
    EXPECT_EQ(0, audio_moving(back.execute(), back.wait()));

    Script top;
    top.replies = {subchannel(0x13, 0xFFFFFFFF), subchannel(0x13, 1)};
    EXPECT_EQ(0, audio_moving(top.execute(), top.wait())) << "no wrap-around in the sum";

    Script failed;
    failed.replies = {subchannel(0x11, 0)};
    failed.ok = {false};
    EXPECT_EQ(0, audio_moving(failed.execute(), failed.wait()));

    Script second_fails;
    second_fails.replies = {subchannel(0x13, 0), subchannel(0x13, 900)};
    second_fails.ok = {true, false};
    EXPECT_EQ(0, audio_moving(second_fails.execute(), second_fails.wait()));
}

TEST(MechanismTest, ReadsTheCurrentBlockTwice500MsApart)
{
    Script s;
    s.replies = {mechanism(0x010203), mechanism(0x010206)};
    EXPECT_EQ(1, mechanism_moving(s.execute(), s.wait()));
    EXPECT_EQ(std::vector<std::uint32_t>{500}, s.waits);
    ASSERT_EQ(2u, s.cdbs.size());
    EXPECT_EQ(12u, s.cdbs[0].size());
    EXPECT_EQ(0xBD, s.cdbs[0][0]);
    EXPECT_EQ(8, s.cdbs[0][9]);

    Script still;
    still.replies = {mechanism(77), mechanism(79)};
    EXPECT_EQ(0, mechanism_moving(still.execute(), still.wait()));

    Script failed;
    failed.ok = {false};
    failed.replies = {mechanism(1)};
    EXPECT_EQ(0, mechanism_moving(failed.execute(), failed.wait()));
    EXPECT_TRUE(failed.waits.empty());
}

TEST(ExecuteRequest, CarriesDeviceFlagsSenseLengthAndLunInCdb)
{
    Srb srb{};
    std::uint8_t cdb[20];
    std::memset(cdb, 0xFF, sizeof cdb);
    std::uint8_t data[4];
    fill_execute(srb.execute, {2, 3, 5}, kFlagDataIn, cdb, data, sizeof data);
    EXPECT_EQ(kExecuteScsi, srb.header.command);
    EXPECT_EQ(2, srb.header.adapter);
    EXPECT_EQ(0x48, srb.header.flags);
    EXPECT_EQ(3, srb.execute.target);
    EXPECT_EQ(5, srb.execute.lun);
    EXPECT_EQ(16, srb.execute.cdb_length) << "CDB cut to 16 bytes";
    EXPECT_EQ(14, srb.execute.sense_length);
    EXPECT_EQ(4u, srb.execute.buffer_length);
    EXPECT_EQ(data, srb.execute.buffer);
    EXPECT_EQ(0xBF, srb.execute.cdb[1]) << "LUN 5 in the top three bits";
}
