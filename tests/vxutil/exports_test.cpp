// The built VXUtil.dll exports exactly what vxutil.h declares, by plain name.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <new>

#include "buttons/volume/mixer.h"
#include "support/pe_exports.h"
#include "vxutil.h"
#include "vxutil/fake_audio.h"

namespace {

const std::vector<std::string>& header_names()
{
    static const std::vector<std::string> names = {
#define VX_EXPORT(name) #name,
#include "vxutil_exports.inc"
#undef VX_EXPORT
    };
    return names;
}

struct LoadedDll : vxtest::LoadedDll {
    LoadedDll() : vxtest::LoadedDll("VXUtil.dll") {}
};

TEST(VXUtilDll, EveryHeaderExportIsFoundByUndecoratedName)
{
    LoadedDll dll;
    ASSERT_NE(nullptr, dll.module) << "error " << GetLastError();
    ASSERT_FALSE(header_names().empty());
    for (const auto& name : header_names())
        EXPECT_NE(nullptr, reinterpret_cast<void*>(GetProcAddress(dll.module, name.c_str()))) << name;
}

TEST(VXUtilDll, ExportsNothingTheHeaderDoesNotDeclare)
{
    LoadedDll dll;
    ASSERT_NE(nullptr, dll.module);
    EXPECT_EQ(vxtest::sorted(header_names()), vxtest::sorted_exports(dll.module));
}

// While an OutOfMemory object lives, every allocation of this program (the
// library is linked in) fails as std::bad_alloc.
bool g_out_of_memory = false;
struct OutOfMemory {
    OutOfMemory() { g_out_of_memory = true; }
    ~OutOfMemory() { g_out_of_memory = false; }
};

TEST(Exports, RunningOutOfMemoryIsAFailureResultNotAnException)
{
    vxtest::FakeAudio audio{5, 1};
    audio.mixer.devices.push_back(vxtest::FakeMixerDevice{});
    vx::mixer::reset_for_tests();
    int mixer = 0, log = 0, help = 1;
    {
        OutOfMemory none_left;
        mixer = Mixer_Init(nullptr);
        log = CreateUninstallDeleteFileRegistry("C:\\Program Files\\Vx Test Folder\\help.txt", "VxA", "VxB");
        help = LaunchSystemHelp();
    }
    vx::mixer::reset_for_tests();
    EXPECT_EQ(static_cast<int>(MMSYSERR_NOMEM), mixer);
    EXPECT_EQ(ERROR_OUTOFMEMORY, log);
    EXPECT_EQ(0, help);
}

} // namespace

void* operator new(std::size_t size)
{
    if (g_out_of_memory)
        throw std::bad_alloc();
    if (void* block = std::malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
