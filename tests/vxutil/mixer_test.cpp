// The Mixer_* contract over both backends, with fake devices.
#include <gtest/gtest.h>

#include <thread>

#include "buttons/volume/mixer.h"
#include "buttons/volume/volume_backends.h"
#include "vxutil.h"
#include "vxutil/fake_audio.h"
#include "vxutil/fake_version.h"

using vx::mixer::Backend;
using vxtest::FakeAudio;
using vxtest::FakeMixerDevice;

namespace {

struct MixerTest : ::testing::Test {
    void SetUp() override { vx::mixer::reset_for_tests(); }
    void TearDown() override { vx::mixer::reset_for_tests(); }
};

// Windows XP: the winmm mixer backend.
struct LegacyMixerTest : MixerTest {
    FakeAudio audio{5, 1};
    FakeMixerDevice& speakers()
    {
        return audio.mixer.devices.back();
    }
    void init_with(std::vector<std::uint32_t> levels, std::uint32_t mute = 0)
    {
        FakeMixerDevice d;
        d.levels = std::move(levels);
        d.mute = mute;
        audio.mixer.devices.push_back(d);
        ASSERT_EQ(0, Mixer_Init(nullptr));
        ASSERT_EQ(Backend::LegacyMixer, vx::mixer::active_backend());
    }
};

TEST_F(LegacyMixerTest, InitOpensWithCallbackWindowAndStopsAtFirstSpeakersLine)
{
    FakeMixerDevice capture;
    capture.has_speakers = false;
    audio.mixer.devices = {capture, FakeMixerDevice{}, FakeMixerDevice{}};
    const HWND window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x1234));

    EXPECT_EQ(0, Mixer_Init(window));
    EXPECT_EQ((std::vector<UINT>{0, 1}), audio.mixer.opened);
    EXPECT_EQ(static_cast<DWORD_PTR>(0x1234), audio.mixer.callback);
    EXPECT_EQ(static_cast<DWORD>(CALLBACK_WINDOW), audio.mixer.open_flags);
    // The device without a speakers line is closed again; the used one stays open.
    ASSERT_EQ(1u, audio.mixer.closed.size());
    EXPECT_EQ(reinterpret_cast<HMIXER>(static_cast<std::uintptr_t>(0x100)), audio.mixer.closed[0]);
    for (DWORD flags : audio.mixer.query_flags)
        EXPECT_EQ(0u, flags & 0xF0000000u) << "object type must be MIXER_OBJECTF_MIXER";
}

TEST_F(LegacyMixerTest, InitReturnsResultOfVolumeQuery)
{
    FakeMixerDevice d;
    d.has_volume = false;
    audio.mixer.devices.push_back(d);
    EXPECT_EQ(static_cast<int>(MIXERR_INVALCONTROL), Mixer_Init(nullptr));
}

TEST_F(LegacyMixerTest, StepsCapAtBothEndsAndStepZeroIsDefault)
{
    init_with({0xF800, 0x0800});
    EXPECT_EQ(0, Mixer_VolumeUp(0));
    EXPECT_EQ((std::vector<std::uint32_t>{0xFFFF, 0x0800 + 2730}), speakers().levels) << "0xF800 has less headroom than a step";

    speakers().levels = {0xF000, 0x0800};
    EXPECT_EQ(0, Mixer_VolumeDown(0));
    EXPECT_EQ((std::vector<std::uint32_t>{0xF000 - 2730, 0}), speakers().levels);

    speakers().levels = {100, 200};
    EXPECT_EQ(0, Mixer_VolumeUp(5));
    EXPECT_EQ((std::vector<std::uint32_t>{105, 205}), speakers().levels);
}

TEST_F(LegacyMixerTest, GetVolumeGivesTruncatedRunningMean)
{
    init_with({0x8000, 0x4001});
    int level = -1;
    EXPECT_EQ(0, Mixer_GetVolume(&level));
    EXPECT_EQ(0x6000, level);
    EXPECT_EQ(0, Mixer_GetVolume(nullptr));
}

TEST_F(LegacyMixerTest, ToggleMuteIsLogicalNegation)
{
    init_with({0x8000, 0x8000}, 5);
    EXPECT_EQ(0, Mixer_ToggleMute());
    EXPECT_EQ(0u, speakers().mute);
    EXPECT_EQ(0, Mixer_ToggleMute());
    EXPECT_EQ(1u, speakers().mute);
    EXPECT_EQ(1, Mixer_GetMuteState());
    EXPECT_EQ(0, Mixer_SetMuteState(7));
    EXPECT_EQ(7, Mixer_GetMuteState());
}

TEST_F(LegacyMixerTest, MoreThanTwelveChannelsAreHandledAsOneUniformValue)
{
    init_with(std::vector<std::uint32_t>(16, 0x1000));
    int level = 0;
    EXPECT_EQ(0, Mixer_GetVolume(&level));
    EXPECT_EQ(0x1000, level);
    EXPECT_EQ(0, Mixer_VolumeUp(0x100));
    EXPECT_EQ(std::vector<std::uint32_t>(16, 0x1100), speakers().levels);
    for (DWORD channels : audio.mixer.detail_channels)
        EXPECT_EQ(1u, channels);
}

TEST_F(LegacyMixerTest, NoSpeakersLineLeavesMixerAvailableWithNullHandle)
{
    FakeMixerDevice d;
    d.has_speakers = false;
    audio.mixer.devices = {d};
    EXPECT_EQ(0, Mixer_Init(nullptr));
    // Operations now address device 0 with control ids 0 and pass its answer on.
    EXPECT_EQ(static_cast<int>(MIXERR_INVALCONTROL), Mixer_VolumeUp(0));
    EXPECT_EQ(0, Mixer_GetMuteState());
}

TEST_F(LegacyMixerTest, InitAgainClosesTheLineItOpenedBefore)
{
    init_with({0x8000});
    ASSERT_EQ(0, Mixer_Init(nullptr));
    EXPECT_EQ((std::vector<UINT>{0, 0}), audio.mixer.opened);
    EXPECT_EQ(std::vector<HMIXER>{reinterpret_cast<HMIXER>(static_cast<std::uintptr_t>(0x100))}, audio.mixer.closed)
        << "two open handles would send the host each change twice";
}

TEST_F(LegacyMixerTest, MuteKeyIsHandledExactlyWhenTheStateToggled)
{
    init_with({0x8000});
    int result = -1;
    EXPECT_EQ(1, CallHIDButtonFunction(0xE2, 1, &result));
    EXPECT_EQ(1, result);
    EXPECT_EQ(1u, speakers().mute);
    EXPECT_EQ(1, CallPredefinedButtonFunction("Mute", 1));
    EXPECT_EQ(0u, speakers().mute);

    speakers().has_speakers = false; // the mute control cannot be written
    ASSERT_EQ(0, Mixer_Init(nullptr));
    EXPECT_EQ(0, CallHIDButtonFunction(0xE2, 1, &result));
    EXPECT_EQ(0, result);
    EXPECT_EQ(0u, speakers().mute);
}

TEST_F(MixerTest, WithoutDeviceEveryCallButStartReturnsZero)
{
    FakeAudio audio{5, 1};
    EXPECT_EQ(0, Mixer_Init(nullptr));
    int level = 1234;
    EXPECT_EQ(0, Mixer_VolumeUp(0));
    EXPECT_EQ(0, Mixer_VolumeDown(0));
    EXPECT_EQ(0, Mixer_GetVolume(&level));
    EXPECT_EQ(1234, level) << "output must not be written";
    EXPECT_EQ(0, Mixer_ToggleMute());
    EXPECT_EQ(0, Mixer_GetMuteState());
    EXPECT_EQ(1, Mixer_StartVolumeIncrease());
    EXPECT_EQ(1, Mixer_StopVolumeIncrease());
    EXPECT_EQ(0, audio.mixer.writes);
}

TEST_F(MixerTest, BeforeInitNothingActs)
{
    FakeAudio audio{5, 1};
    audio.mixer.devices.push_back(FakeMixerDevice{});
    EXPECT_EQ(0, Mixer_VolumeUp(0));
    EXPECT_EQ(0, Mixer_SetMuteState(1));
    EXPECT_EQ(0, audio.mixer.writes);
}

TEST_F(MixerTest, BackendFollowsWindowsVersion)
{
    EXPECT_EQ(Backend::LegacyMixer, vx::mixer::backend_for_version(VER_PLATFORM_WIN32_WINDOWS, 4));
    EXPECT_EQ(Backend::LegacyMixer, vx::mixer::backend_for_version(VER_PLATFORM_WIN32_NT, 5));
    EXPECT_EQ(Backend::EndpointVolume, vx::mixer::backend_for_version(VER_PLATFORM_WIN32_NT, 6));
    EXPECT_EQ(Backend::EndpointVolume, vx::mixer::backend_for_version(VER_PLATFORM_WIN32_NT, 10));
}

// Windows 7: the default render endpoint through Core Audio.
struct EndpointTest : MixerTest {
    FakeAudio audio{6, 1};
    vxtest::FakeEndpoint& endpoint() { return *audio.endpoint; }
    void SetUp() override
    {
        MixerTest::SetUp();
        audio.endpoint = std::make_unique<vxtest::FakeEndpoint>();
    }
};

TEST_F(EndpointTest, LevelsMapBetweenScalarsAnd16Bits)
{
    endpoint().channels = {1.0f, 0.0f};
    ASSERT_EQ(0, Mixer_Init(nullptr));
    ASSERT_EQ(Backend::EndpointVolume, vx::mixer::active_backend());
    int level = 0;
    EXPECT_EQ(0, Mixer_GetVolume(&level));
    EXPECT_EQ(0x7FFF, level);
    EXPECT_EQ(0, Mixer_VolumeDown(0));
    EXPECT_NEAR((0xFFFF - 2730) / 65535.0, endpoint().channels[0], 1e-6);
    EXPECT_EQ(0.0f, endpoint().channels[1]);
    EXPECT_EQ(0, Mixer_GetVolume(&level));
    EXPECT_EQ((0xFFFF - 2730) / 2, level);
}

TEST_F(EndpointTest, LevelsSurviveManyRoundTrips)
{
    endpoint().channels = {0.0f};
    ASSERT_EQ(0, Mixer_Init(nullptr));
    for (int i = 1; i <= 24; ++i) {
        Mixer_VolumeUp(0);
        int level = 0;
        Mixer_GetVolume(&level);
        ASSERT_EQ(i * 2730 > 0xFFFF ? 0xFFFF : i * 2730, level) << "step " << i;
    }
}

TEST_F(EndpointTest, MuteTogglesAndStartUnmutesAndTheKeyCountsOnlyAToggle)
{
    endpoint().mute = 5;
    ASSERT_EQ(0, Mixer_Init(nullptr));
    EXPECT_EQ(5, Mixer_GetMuteState());
    EXPECT_EQ(0, Mixer_ToggleMute());
    EXPECT_EQ(FALSE, endpoint().mute);
    EXPECT_EQ(0, Mixer_ToggleMute());
    EXPECT_EQ(TRUE, endpoint().mute);
    EXPECT_EQ(1, Mixer_StartVolumeIncrease());
    EXPECT_EQ(FALSE, endpoint().mute);
    Mixer_StopVolumeIncrease();

    EXPECT_EQ(1, CallPredefinedButtonFunction("Mute", 1));
    EXPECT_EQ(TRUE, endpoint().mute);
    endpoint().mute_read = E_FAIL; // writing "muted" again would answer S_FALSE
    EXPECT_EQ(0, CallPredefinedButtonFunction("Mute", 1)) << "the key toggled nothing";
    EXPECT_EQ(TRUE, endpoint().mute);
}

TEST_F(EndpointTest, MoreThanTwelveChannelsUseTheMasterLevel)
{
    endpoint().channels.assign(16, 0.25f);
    endpoint().master = 0.25f;
    ASSERT_EQ(0, Mixer_Init(nullptr));
    int level = 0;
    EXPECT_EQ(0, Mixer_GetVolume(&level));
    EXPECT_EQ(16384, level);
    EXPECT_EQ(0, Mixer_VolumeUp(0));
    EXPECT_EQ(1, endpoint().master_writes);
    EXPECT_NEAR((16384 + 2730) / 65535.0, endpoint().master, 1e-6);
}

TEST_F(EndpointTest, NoEndpointMeansNoMixer)
{
    audio.endpoint.reset();
    EXPECT_EQ(0, Mixer_Init(nullptr));
    EXPECT_EQ(Backend::None, vx::mixer::active_backend());
    int level = 77;
    EXPECT_EQ(0, Mixer_GetVolume(&level));
    EXPECT_EQ(77, level);
}

TEST_F(EndpointTest, EndpointWithoutChannelCountFallsBackToTheMixer)
{
    endpoint().channel_count_works = false;
    audio.mixer.devices.push_back(FakeMixerDevice{});
    EXPECT_EQ(0, Mixer_Init(nullptr));
    EXPECT_EQ(Backend::LegacyMixer, vx::mixer::active_backend());
    EXPECT_EQ(0, Mixer_VolumeUp(0));
    EXPECT_EQ((std::vector<std::uint32_t>{0x8000 + 2730, 0x8000 + 2730}), audio.mixer.devices[0].levels);
    EXPECT_EQ(1u, endpoint().refs) << "the unusable endpoint is released";
}

TEST_F(EndpointTest, ChangesAreForwardedToTheInitWindowAsControlChanges)
{
    const HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    ASSERT_EQ(0, Mixer_Init(window));
    ASSERT_NE(nullptr, endpoint().callback);

    AUDIO_VOLUME_NOTIFICATION_DATA data{};
    data.bMuted = TRUE;
    data.fMasterVolume = 0.5f;
    data.nChannels = 1;
    endpoint().callback->OnNotify(&data);

    std::vector<LPARAM> controls;
    MSG msg;
    while (PeekMessageA(&msg, window, MM_MIXM_CONTROL_CHANGE, MM_MIXM_CONTROL_CHANGE, PM_REMOVE))
        controls.push_back(msg.lParam);
    EXPECT_EQ((std::vector<LPARAM>{vx::mixer::kEndpointMuteControlId, vx::mixer::kEndpointVolumeControlId}), controls);

    // A second Mixer_Init replaces the registration instead of adding one.
    ASSERT_EQ(0, Mixer_Init(nullptr));
    EXPECT_EQ(nullptr, endpoint().callback);
    vx::mixer::reset_for_tests();
    EXPECT_EQ(1u, endpoint().refs) << "the endpoint reference is released";
    DestroyWindow(window);
}

TEST_F(EndpointTest, ReplugWithTheSameIdWorksOnTheNextPress)
{
    endpoint().channels = {0.5f};
    ASSERT_EQ(0, Mixer_Init(nullptr));
    // The headset is replugged (or the audio service restarted) and no
    // notification reached us: the held endpoint fails every call.
    const auto before = std::move(audio.endpoint);
    before->invalidated = true;
    audio.endpoint = std::make_unique<vxtest::FakeEndpoint>();
    endpoint().channels = {0.25f};
    EXPECT_EQ(0, Mixer_VolumeUp(0));
    EXPECT_NEAR(0.25f + 2730 / 65535.0f, endpoint().channels[0], 1e-4f);
    int level = 0;
    EXPECT_EQ(0, Mixer_GetVolume(&level));
    EXPECT_EQ(16384 + 2730, level) << "an empty bar is what the host showed before";
    EXPECT_EQ(1u, before->refs) << "the invalidated endpoint is released";
    EXPECT_EQ(1, audio.enumerator.created);
    vx::mixer::reset_for_tests();
    EXPECT_EQ(0u, audio.enumerator.refs);
    EXPECT_EQ(nullptr, audio.enumerator.client) << "the notification client is unregistered";
}

TEST_F(EndpointTest, DeviceAddedAfterInitIsUsedFromThenOn)
{
    auto later = std::move(audio.endpoint);
    audio.mixer.devices.push_back(FakeMixerDevice{}); // reaches only the host's own audio session
    ASSERT_EQ(0, Mixer_Init(nullptr));
    EXPECT_EQ(Backend::LegacyMixer, vx::mixer::active_backend());

    audio.endpoint = std::move(later);
    audio.default_device_changed();
    EXPECT_EQ(0, Mixer_VolumeUp(0));
    EXPECT_EQ(Backend::EndpointVolume, vx::mixer::active_backend());
    EXPECT_NEAR(0.5f + 2730 / 65535.0f, endpoint().channels[1], 1e-4f);
    EXPECT_EQ(0, audio.mixer.writes);
}

// Probes, on the calling thread, whether it may still enter a
// single-threaded apartment: S_OK with no COM, S_FALSE in an STA,
// RPC_E_CHANGED_MODE once something put it in the multithreaded apartment.
HRESULT sta_probe()
{
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(hr))
        CoUninitialize();
    return hr;
}

// Whether the multithreaded apartment exists: a thread without COM then
// belongs to it implicitly.
bool mta_exists()
{
    APTTYPE type = APTTYPE_STA;
    APTTYPEQUALIFIER qualifier = APTTYPEQUALIFIER_NONE;
    HRESULT hr = E_FAIL;
    std::thread([&] { hr = CoGetApartmentType(&type, &qualifier); }).join();
    return hr == S_OK && type == APTTYPE_MTA;
}

// On Windows 7 (no CoIncrementMTAUsage) a host thread with no COM or in an
// STA keeps its apartment through Mixer_Init, a held key and Mixer_Close,
// with Windows' own device enumerator; the library keeps the multithreaded
// apartment alive from a thread of its own meanwhile.
TEST_F(MixerTest, HostThreadsKeepTheirApartmentWithoutCoIncrementMtaUsage)
{
    vxtest::FakeVersion win7(VER_PLATFORM_WIN32_NT, 6, 1);
    auto& seam = vx::platform::audio();
    vx::platform::SeamOverride<decltype(seam.CoIncrementMTAUsage)> no_increment(seam.CoIncrementMTAUsage, nullptr);
    vx::platform::SeamOverride<decltype(seam.CoDecrementMTAUsage)> no_decrement(seam.CoDecrementMTAUsage, nullptr);
    ASSERT_FALSE(mta_exists()) << "something else keeps the apartment alive: nothing to prove";
    for (const DWORD apartment : {0ul, static_cast<unsigned long>(COINIT_APARTMENTTHREADED)}) {
        std::thread([&] {
            const bool host_com = apartment && SUCCEEDED(CoInitializeEx(nullptr, apartment));
            const HRESULT as_found = sta_probe();
            Mixer_Init(nullptr);
            EXPECT_EQ(as_found, sta_probe()) << "after Mixer_Init, apartment " << apartment;
            EXPECT_TRUE(mta_exists());
            Mixer_StartVolumeIncrease();
            MSG msg;
            for (const DWORD end = GetTickCount() + 400; GetTickCount() < end;) {
                while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                    DispatchMessageA(&msg);
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            }
            EXPECT_EQ(as_found, sta_probe()) << "while the key is held, apartment " << apartment;
            Mixer_StopVolumeIncrease();
            EXPECT_EQ(1, Mixer_Close());
            EXPECT_EQ(as_found, sta_probe()) << "after Mixer_Close, apartment " << apartment;
            if (host_com)
                CoUninitialize();
        }).join();
        EXPECT_FALSE(mta_exists()) << "the apartment keeper outlived Mixer_Close";
    }
}

} // namespace
