// The built VXUtil.dll exports exactly what vxutil.h declares, by plain name.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/pe_exports.h"

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

struct LoadedDll {
    HMODULE module = LoadLibraryA((vxtest::program_folder() + "VXUtil.dll").c_str());
    ~LoadedDll()
    {
        if (module)
            FreeLibrary(module);
    }
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
    auto exported = vxtest::exported_names(dll.module);
    auto declared = header_names();
    std::sort(exported.begin(), exported.end());
    std::sort(declared.begin(), declared.end());
    EXPECT_EQ(declared, exported);
}

} // namespace
