// The built VXOSD.dll exports exactly what vxosd.h declares, by plain name,
// and carries its pictures, texts and version.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/pe_exports.h"

namespace {

const std::vector<std::string>& header_names()
{
    static const std::vector<std::string> names = {
#define VX_EXPORT(name) #name,
#include "vxosd_exports.inc"
#undef VX_EXPORT
    };
    return names;
}

struct LoadedDll : vxtest::LoadedDll {
    LoadedDll() : vxtest::LoadedDll("VXOSD.dll") {}
};

TEST(VXOSDDll, ExportsExactlyTheHeaderByUndecoratedName)
{
    LoadedDll dll;
    ASSERT_NE(nullptr, dll.module) << "error " << GetLastError();
    for (const auto& name : header_names())
        EXPECT_NE(nullptr, reinterpret_cast<void*>(GetProcAddress(dll.module, name.c_str()))) << name;
    EXPECT_EQ(vxtest::sorted(header_names()), vxtest::sorted_exports(dll.module));
}

TEST(VXOSDDll, CarriesEveryBitmapAt48x48)
{
    LoadedDll dll;
    ASSERT_NE(nullptr, dll.module);
    struct Want {
        int id;
        int bits;
    } wants[] = {{101, 1}, {102, 1}, {106, 8}, {107, 8}, {108, 8}, {109, 8}, {111, 1},
                 {112, 1}, {113, 1}, {114, 1}, {115, 1}, {116, 1}, {117, 8}, {118, 8}};
    for (const Want& w : wants) {
        HRSRC info = FindResourceA(dll.module, MAKEINTRESOURCEA(w.id), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
        ASSERT_NE(nullptr, info) << w.id;
        const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(dll.module, info)));
        ASSERT_NE(nullptr, header);
        EXPECT_EQ(48, header->biWidth) << w.id;
        EXPECT_EQ(48, header->biHeight) << w.id;
        EXPECT_EQ(w.bits, header->biBitCount) << w.id;
    }
    char text[64];
    EXPECT_EQ(7, LoadStringA(dll.module, 1, text, sizeof text));
    EXPECT_NE(nullptr, FindResourceA(dll.module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16) /* RT_VERSION */));
}

} // namespace
