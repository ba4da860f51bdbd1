// The key-held repeat with a real timer and message loop.
#include <gtest/gtest.h>

#include <thread>

#include "buttons/volume/mixer.h"
#include "vxutil.h"
#include "support/pe_exports.h"
#include "vxutil/fake_audio.h"
#include "vxutil/fake_version.h"

namespace {

constexpr std::uint32_t kStep = 2730;

// Dispatches this thread's messages for a while; returns how many timer
// messages came.
int timer_messages_during(DWORD ms)
{
    int count = 0;
    const DWORD end = GetTickCount() + ms;
    MSG msg;
    while (GetTickCount() < end) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_TIMER)
                ++count;
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return count;
}

struct RepeatTest : ::testing::Test {
    vxtest::FakeAudio audio{5, 1};
    void SetUp() override
    {
        vx::mixer::reset_for_tests();
        vxtest::FakeMixerDevice d;
        d.levels = {0x8000};
        audio.mixer.devices.push_back(d);
        ASSERT_EQ(0, Mixer_Init(nullptr));
        drain_messages();
    }
    void TearDown() override { vx::mixer::reset_for_tests(); }

    std::uint32_t level() const { return audio.mixer.devices[0].levels[0]; }

    // Dispatches messages until `ticks` thread-timer messages have run, then
    // returns the level after each of them.
    std::vector<std::uint32_t> run_ticks(int ticks)
    {
        std::vector<std::uint32_t> after;
        const DWORD deadline = GetTickCount() + 5000;
        MSG msg;
        while (static_cast<int>(after.size()) < ticks && GetTickCount() < deadline) {
            if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
                continue;
            }
            DispatchMessageA(&msg);
            if (msg.message == WM_TIMER)
                after.push_back(level());
        }
        return after;
    }

    static void drain_messages()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
};

TEST_F(RepeatTest, HeldKeyStepsAtOnceThenOnSecondTickThenEveryTick)
{
    audio.mixer.devices[0].mute = 1;
    ASSERT_EQ(1, Mixer_StartVolumeIncrease());
    EXPECT_EQ(0u, audio.mixer.devices[0].mute) << "pressing Volume Up unmutes";
    EXPECT_EQ(0x8000 + kStep, level());
    const auto after = run_ticks(4);
    ASSERT_EQ(4u, after.size());
    EXPECT_EQ(0x8000 + kStep, after[0]) << "the first tick is skipped";
    EXPECT_EQ(0x8000 + 2 * kStep, after[1]);
    EXPECT_EQ(0x8000 + 3 * kStep, after[2]);
    EXPECT_EQ(0x8000 + 4 * kStep, after[3]);
    EXPECT_EQ(1, Mixer_StopVolumeIncrease());
    EXPECT_EQ(0, timer_messages_during(400));
    EXPECT_EQ(0x8000 + 4 * kStep, level());
}

TEST_F(RepeatTest, OtherKeyTurnsDirectionWithoutNewDelayAndEitherStopEndsBoth)
{
    ASSERT_EQ(1, Mixer_StartVolumeIncrease());
    ASSERT_EQ(2u, run_ticks(2).size());
    ASSERT_EQ(0x8000 + 2 * kStep, level());

    audio.mixer.devices[0].mute = 1;
    ASSERT_EQ(1, Mixer_StartVolumeDecrease());
    EXPECT_EQ(0u, audio.mixer.devices[0].mute);
    EXPECT_EQ(0x8000 + kStep, level()) << "the press itself steps down at once";
    const auto after = run_ticks(1);
    ASSERT_EQ(1u, after.size());
    EXPECT_EQ(0x8000u, after[0]) << "the next tick already steps down";

    // The up key's release ends the repeat the down key took over.
    EXPECT_EQ(1, Mixer_StopVolumeIncrease());
    EXPECT_EQ(0, timer_messages_during(400));
    EXPECT_EQ(0x8000u, level());
}

TEST_F(RepeatTest, TicksDoNotUnmute)
{
    ASSERT_EQ(1, Mixer_StartVolumeDecrease());
    audio.mixer.devices[0].mute = 1;
    run_ticks(2);
    EXPECT_EQ(1u, audio.mixer.devices[0].mute);
    EXPECT_EQ(0x8000 - 2 * kStep, level());
    Mixer_StopVolumeDecrease();
}

TEST_F(RepeatTest, RepeatRunsEvenWithoutDevice)
{
    vx::mixer::reset_for_tests();
    audio.mixer.devices.clear();
    ASSERT_EQ(0, Mixer_Init(nullptr));
    ASSERT_EQ(1, Mixer_StartVolumeIncrease());
    EXPECT_EQ(2u, run_ticks(2).size());
    ASSERT_EQ(1, Mixer_StopVolumeDecrease());
    EXPECT_EQ(0, audio.mixer.writes);
}

TEST_F(RepeatTest, HeldKeyFollowsTheDefaultDeviceAndEndsWhenNoneIsLeft)
{
    vxtest::set_fake_version(VER_PLATFORM_WIN32_NT, 6, 1);
    audio.endpoint = std::make_unique<vxtest::FakeEndpoint>();
    audio.endpoint->channels = {0.5f};
    ASSERT_EQ(0, Mixer_Init(nullptr));
    ASSERT_EQ(1, Mixer_StartVolumeIncrease());
    const float step = 2730 / 65535.0f;

    // The user plugs in a headset: it becomes the default render device.
    const auto speakers = std::move(audio.endpoint);
    audio.endpoint = std::make_unique<vxtest::FakeEndpoint>();
    audio.endpoint->channels = {0.25f};
    audio.endpoint_id = L"headset";
    audio.default_device_changed();
    ASSERT_EQ(2u, run_ticks(2).size());
    EXPECT_NEAR(0.5f + step, speakers->channels[0], 1e-4f) << "only the press moved the old device";
    EXPECT_NEAR(0.25f + step, audio.endpoint->channels[0], 1e-4f);
    EXPECT_EQ(1u, speakers->refs) << "the old device is released";

    EXPECT_EQ(1, audio.enumerator.created) << "one enumerator for the line's life";
    EXPECT_EQ(2, audio.enumerator.default_lookups) << "looked up at Mixer_Init and after the change only";

    // The headset goes away and no device is left.
    const auto headset = std::move(audio.endpoint);
    audio.notify([](IMMNotificationClient& c) { c.OnDeviceRemoved(L"headset"); });
    run_ticks(1);
    EXPECT_EQ(0, timer_messages_during(400)) << "the repeat goes on without a device";
    EXPECT_NEAR(0.25f + step, headset->channels[0], 1e-4f);
    EXPECT_EQ(1u, headset->refs);
    vx::mixer::reset_for_tests(); // before the devices go
}

DWORD g_fake_now = 0;
DWORD WINAPI fake_now() { return g_fake_now; }

TEST_F(RepeatTest, RepeatEndsAtTheEndOfTheRangeAndAfterTheLimit)
{
    audio.mixer.devices[0].levels = {0xFFFF - kStep - 100};
    ASSERT_EQ(1, Mixer_StartVolumeIncrease());
    const auto after = run_ticks(2);
    ASSERT_EQ(2u, after.size());
    EXPECT_EQ(0xFFFFu, after[1]);
    EXPECT_EQ(0, timer_messages_during(400)) << "the repeat goes on at 100 %";
    ASSERT_EQ(1, Mixer_StartVolumeIncrease());
    EXPECT_EQ(0, timer_messages_during(400)) << "a press at 100 % starts no repeat";

    // Nobody calls Stop: the key-up was lost.
    vx::platform::SeamOverride<decltype(vx::platform::SystemSeam::GetTickCount)> clock(vx::platform::os().GetTickCount,
                                                                                       fake_now);
    g_fake_now = 1000;
    ASSERT_EQ(1, Mixer_StartVolumeDecrease());
    ASSERT_EQ(2u, run_ticks(2).size());
    g_fake_now += 7000;
    ASSERT_EQ(1u, run_ticks(1).size());
    EXPECT_EQ(0xFFFF - 3 * kStep, level()) << "still repeating within the limit";
    g_fake_now += 1000;
    EXPECT_LE(timer_messages_during(600), 1) << "the tick past the limit is the last";
    EXPECT_EQ(0xFFFF - 3 * kStep, level()) << "a tick past the limit still stepped";
}

// This thread's message-only windows whose procedure lies in [base, end).
int windows_with_procedure_in(std::uintptr_t base, std::uintptr_t end)
{
    int count = 0;
    for (HWND w = nullptr; (w = FindWindowExA(HWND_MESSAGE, w, nullptr, nullptr)) != nullptr;) {
        const auto proc = static_cast<std::uintptr_t>(GetWindowLongPtrA(w, GWLP_WNDPROC));
        if (GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId() && proc >= base && proc < end)
            ++count;
    }
    return count;
}

// Loads the real library, holds Volume Up on this thread and frees the
// library here or on another thread; this thread then runs its message loop,
// where a timer or window procedure left behind would call unmapped code.
// (Checked before the loop too: a crash there does not fail the program
// under Wine.)
void free_library_while_held(bool on_other_thread)
{
    HMODULE dll = LoadLibraryA((vxtest::program_folder() + "VXUtil.dll").c_str());
    ASSERT_NE(nullptr, dll);
    const auto base = reinterpret_cast<std::uintptr_t>(dll);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(dll)->e_lfanew);
    const std::uintptr_t end = base + nt->OptionalHeader.SizeOfImage;
    const auto start = reinterpret_cast<int(WINAPI*)()>(
        reinterpret_cast<void*>(GetProcAddress(dll, "Mixer_StartVolumeIncrease")));
    ASSERT_EQ(1, start());
    ASSERT_EQ(1, windows_with_procedure_in(base, end)) << "the repeat's window is not found: nothing to prove";
    BOOL freed = FALSE;
    if (on_other_thread)
        std::thread([&] { freed = FreeLibrary(dll); }).join();
    else
        freed = FreeLibrary(dll);
    ASSERT_TRUE(freed);
    ASSERT_EQ(nullptr, GetModuleHandleA("VXUtil.dll")) << "still mapped: nothing to prove";
    ASSERT_EQ(0, windows_with_procedure_in(base, end)) << "a window still calls into the unloaded library";
    EXPECT_EQ(0, timer_messages_during(400)) << "the unloaded library's timer still ticks";
}

TEST_F(RepeatTest, FreeLibraryWhileAKeyIsHeldEndsTheRepeat)
{
    free_library_while_held(false);
    free_library_while_held(true);
}

} // namespace
