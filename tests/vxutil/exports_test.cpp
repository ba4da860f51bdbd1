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

} // namespace
