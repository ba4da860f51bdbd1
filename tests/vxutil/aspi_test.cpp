// InitAspi / OnIsCdromPlaying / DestroyAspi over the emulation (SCSI
// pass-through behind the seam) and over a test build of WNASPI32.DLL.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "buttons/scsi/aspi.h"
#include "core/srb_layout.h"
#include "platform/system_seam.h"
#include "support/pe_exports.h"
#include "vxutil.h"
#include "vxutil/cd_fakes.h"

using vxtest::FakeCd;

namespace {

struct Emulated : ::testing::Test {
    FakeCd cd;
    void TearDown() override { DestroyAspi(); }
    vxtest::FakeScsiDevice& device(char letter, std::uint8_t target = 0)
    {
        cd.optical.drives.push_back({std::string(1, letter) + ":\\"});
        auto& d = cd.optical.devices[letter];
        d.target = target;
        return d;
    }
};

} // namespace

TEST_F(Emulated, WithoutDrivesNothingIsFound)
{
    EXPECT_EQ(0, InitAspi());
    EXPECT_EQ(0, OnIsCdromPlaying(1));
    EXPECT_EQ(-1, DestroyAspi()) << "the (empty) table was built and is dropped";
}

TEST_F(Emulated, OpensDrivesForReadWriteOnNt5AndReadOnlyBefore)
{
    device('E');
    EXPECT_EQ(1, InitAspi());
    ASSERT_FALSE(cd.optical.created.empty());
    EXPECT_EQ("\\\\.\\E:", cd.optical.created[0]);
    EXPECT_EQ(static_cast<DWORD>(GENERIC_READ | GENERIC_WRITE), cd.optical.access[0]);
    EXPECT_EQ(0, cd.optical.open_handles) << "the probe's handle is closed";
    EXPECT_EQ(-1, DestroyAspi());

    cd.set_version(4, 0);
    cd.optical.access.clear();
    EXPECT_EQ(1, InitAspi());
    EXPECT_EQ(static_cast<DWORD>(GENERIC_READ), cd.optical.access[0]);
}

TEST_F(Emulated, SecondInitWithoutDestroyReturnsZero)
{
    device('E');
    EXPECT_EQ(1, InitAspi());
    EXPECT_EQ(0, InitAspi());
    EXPECT_EQ(1, vx::aspi::device_found() ? 1 : 0) << "the found flag is left as it was";
}

TEST_F(Emulated, AudioTestSeesPlayInProgressWithOneRead)
{
    auto& d = device('E');
    d.subchannel = {{0x11, 100}};
    ASSERT_EQ(1, InitAspi());
    EXPECT_EQ(1, OnIsCdromPlaying(1));
    EXPECT_EQ(1u, d.sub_reads);
    EXPECT_TRUE(cd.sleeps.empty());
}

TEST_F(Emulated, AudioTestNeedsMoreThanTwoBlocksIn200Ms)
{
    auto& d = device('E');
    d.subchannel = {{0x15, 1000}, {0x15, 1002}, {0x15, 1000}, {0x15, 1010}};
    ASSERT_EQ(1, InitAspi());
    EXPECT_EQ(0, OnIsCdromPlaying(1));
    EXPECT_EQ(std::vector<DWORD>{200}, cd.sleeps);
    EXPECT_EQ(1, OnIsCdromPlaying(1));
}

TEST_F(Emulated, MechanismTestForOtherKinds)
{
    auto& d = device('E');
    d.mechanism = {5000, 5100};
    ASSERT_EQ(1, InitAspi());
    EXPECT_EQ(1, OnIsCdromPlaying(2));
    EXPECT_EQ(std::vector<DWORD>{500}, cd.sleeps);
    EXPECT_EQ((std::vector<std::uint8_t>{0x12, 0xBD, 0xBD}), d.commands);
}

TEST_F(Emulated, MediaChangeReprobesAndRetriesOnce)
{
    auto& d = device('E');
    d.subchannel = {{0x11, 0}};
    d.errors = {ERROR_MEDIA_CHANGED};
    ASSERT_EQ(1, InitAspi());
    EXPECT_EQ(1, OnIsCdromPlaying(1));
    EXPECT_EQ((std::vector<std::uint8_t>{0x12, 0x42, 0x12, 0x42}), d.commands);
}

TEST_F(Emulated, AsksTheFirstDeviceOnTheBusWhateverDriveIsChosen)
{
    auto& e = device('E', 3);
    auto& f = device('F', 1);
    e.subchannel = {{0x11, 0}};
    f.subchannel = {{0x13, 0}, {0x13, 0}};
    ASSERT_EQ(1, InitAspi());
    EXPECT_EQ(1, vx::aspi::found_device().target);
    EXPECT_EQ(0, OnIsCdromPlaying(1));
    EXPECT_EQ(0u, e.sub_reads);
    EXPECT_EQ(2u, f.sub_reads);
}

namespace {

HMODULE load_test_aspi() { return LoadLibraryA((vxtest::program_folder() + "test_wnaspi32.dll").c_str()); }

const char* g_missing_export = nullptr;
FARPROC WINAPI get_proc_without(HMODULE module, LPCSTR name)
{
    if (g_missing_export && std::strcmp(name, g_missing_export) == 0)
        return nullptr;
    return GetProcAddress(module, name);
}

struct SystemLibrary : ::testing::Test {
    FakeCd cd;
    void SetUp() override { cd.optical.aspi_library = nullptr; }
    void TearDown() override
    {
        DestroyAspi();
        g_missing_export = nullptr;
    }
};

} // namespace

TEST_F(SystemLibrary, FindsTheCdromAtTarget1AndWaitsForTheEvent)
{
    vx::platform::SeamOverride load(vx::platform::scsi().load_aspi_library, &load_test_aspi);
    ASSERT_EQ(1, InitAspi());
    EXPECT_TRUE(vx::aspi::library_loaded());
    EXPECT_EQ(0, vx::aspi::found_device().adapter);
    EXPECT_EQ(1, vx::aspi::found_device().target);
    EXPECT_EQ(0, vx::aspi::found_device().lun);

    HMODULE aspi = GetModuleHandleA("test_wnaspi32.dll");
    ASSERT_NE(nullptr, aspi);
    using SetPositions = void (*)(std::uint8_t, const std::uint32_t*, std::uint32_t);
    using Count = std::uint32_t (*)();
    auto set_positions = reinterpret_cast<SetPositions>(reinterpret_cast<void*>(GetProcAddress(aspi, "TestAspi_SetPositions")));
    auto executes = reinterpret_cast<Count>(reinterpret_cast<void*>(GetProcAddress(aspi, "TestAspi_Executes")));
    ASSERT_TRUE(set_positions && executes);

    const std::uint32_t moving[] = {100, 103};
    set_positions(0x15, moving, 2);
    EXPECT_EQ(1, OnIsCdromPlaying(1)) << "replies arrive through the event";
    EXPECT_EQ(2u, executes());

    const std::uint32_t still[] = {700, 700};
    set_positions(0x15, still, 2);
    EXPECT_EQ(0, OnIsCdromPlaying(4));

    EXPECT_EQ(1, DestroyAspi()) << "FreeLibrary's result";
    EXPECT_FALSE(vx::aspi::library_loaded());
    EXPECT_EQ(0, OnIsCdromPlaying(1));
}

TEST_F(SystemLibrary, LibraryWithoutAnEntryPointIsTreatedAsAbsent)
{
    vx::platform::SeamOverride load(vx::platform::scsi().load_aspi_library, &load_test_aspi);
    vx::platform::SeamOverride proc(vx::platform::scsi().GetProcAddress, &get_proc_without);
    g_missing_export = "SendASPI32Command";
    cd.optical.drives.push_back({"E:\\"});
    cd.optical.devices['E'];
    EXPECT_EQ(1, InitAspi()) << "the emulation takes over";
    EXPECT_FALSE(vx::aspi::library_loaded());
    EXPECT_EQ(nullptr, GetModuleHandleA("test_wnaspi32.dll")) << "the incomplete library is freed";
    EXPECT_EQ(-1, DestroyAspi());
}

TEST(SrbLayout, MatchesTheAspiInterfaceOfThisArchitecture)
{
    using vx::aspi::SrbExecute;
    // Offsets of the interface's execute request, packed to 1 byte.
#if defined(_WIN64)
    const std::size_t post = 28, cdb = 60, sense = 76, size = 92, target_status = 27;
#else
    const std::size_t post = 24, cdb = 48, sense = 64, size = 80, target_status = 23;
#endif
    EXPECT_EQ(16u, offsetof(SrbExecute, buffer));
    EXPECT_EQ(target_status, offsetof(SrbExecute, target_status));
    EXPECT_EQ(post, offsetof(SrbExecute, post));
    EXPECT_EQ(cdb, offsetof(SrbExecute, cdb));
    EXPECT_EQ(sense, offsetof(SrbExecute, sense));
    EXPECT_EQ(size, sizeof(SrbExecute));
    EXPECT_EQ(8u, offsetof(vx::aspi::SrbAbort, request));
}

namespace {

DWORD WINAPI never_signalled(HANDLE, DWORD) { return WAIT_TIMEOUT; }

bool on_this_stack(const void* address)
{
    int local = 0;
    MEMORY_BASIC_INFORMATION stack{}, other{};
    VirtualQuery(&local, &stack, sizeof stack);
    VirtualQuery(address, &other, sizeof other);
    return other.AllocationBase == stack.AllocationBase;
}

} // namespace

TEST_F(SystemLibrary, CommandThatNeverCompletesLeavesTheLibraryNoStackMemory)
{
    vx::platform::SeamOverride load(vx::platform::scsi().load_aspi_library, &load_test_aspi);
    ASSERT_EQ(1, InitAspi());
    HMODULE aspi = GetModuleHandleA("test_wnaspi32.dll");
    auto entry = [aspi](const char* name) { return reinterpret_cast<void*>(GetProcAddress(aspi, name)); };
    const auto hang = reinterpret_cast<void (*)(int)>(entry("TestAspi_Hang"));
    using Pointer = const void* (*)();
    const auto request = reinterpret_cast<Pointer>(entry("TestAspi_PendingRequest"));
    const auto buffer = reinterpret_cast<Pointer>(entry("TestAspi_PendingBuffer"));
    ASSERT_TRUE(hang && request && buffer);
    hang(1);
    {
        // The minute's wait and the abort's grace both run out at once.
        vx::platform::SeamOverride wait(vx::platform::os().WaitForSingleObject, &never_signalled);
        EXPECT_EQ(0, OnIsCdromPlaying(1));
    }
    ASSERT_NE(nullptr, request());
    EXPECT_FALSE(on_this_stack(request())) << "the library may still write the request block";
    EXPECT_FALSE(on_this_stack(buffer())) << "the library may still write the data buffer";
    hang(0);
}
