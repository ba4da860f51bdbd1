// VXUtil's string table: every language carries all 71 strings, English as
// the interface gives it, and descriptions follow the thread locale.
#include <gtest/gtest.h>

#include <string>

#include "core/string_table_block.h"
#include "services/resource_strings.h"
#include "support/pe_exports.h"

namespace {

const LANGID kLanguages[] = {1028, 1029, 1031, 1033, 1034, 1036, 1040, 1041, 1046, 1051, 1055, 1060, 2052, 2058, 3082};

std::vector<UINT> all_ids()
{
    std::vector<UINT> ids;
    for (UINT i = 1; i <= 65; ++i)
        if (i != 17)
            ids.push_back(i);
    for (UINT i = 30000; i <= 30006; ++i)
        ids.push_back(i);
    return ids;
}

// The UTF-16 text of string `id` in exactly `language`, "" when absent, read
// with the library's block reader (its own tests pin the block layout).
std::wstring exact(HMODULE module, UINT id, LANGID language)
{
    using namespace vx::resources;
    HRSRC r = FindResourceExW(module, reinterpret_cast<LPCWSTR>(RT_STRING), MAKEINTRESOURCEW(block_of(id)), language);
    if (!r)
        return L"";
    const auto* block = static_cast<const std::uint16_t*>(LockResource(LoadResource(module, r)));
    const auto units = string_in_block({block, SizeofResource(module, r) / sizeof *block}, index_in_block(id));
    return std::wstring(units.begin(), units.end());
}

struct LoadedDll {
    HMODULE module = LoadLibraryExA((vxtest::program_folder() + "VXUtil.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ~LoadedDll() { if (module) FreeLibrary(module); }
};

} // namespace

TEST(StringTable, EveryLanguageHasAll71Strings)
{
    LoadedDll dll;
    ASSERT_NE(nullptr, dll.module);
    const auto ids = all_ids();
    ASSERT_EQ(71u, ids.size());
    for (LANGID lang : kLanguages) {
        for (UINT id : ids)
            EXPECT_FALSE(exact(dll.module, id, lang).empty()) << "language " << lang << " id " << id;
        EXPECT_TRUE(exact(dll.module, 17, lang).empty());
    }
}

TEST(StringTable, TranslationsDifferFromEnglishWhereTheyShould)
{
    LoadedDll dll;
    for (LANGID lang : kLanguages) {
        if (lang == 1033)
            continue;
        for (UINT id : {1u, 21u, 30002u, 30005u})
            EXPECT_NE(exact(dll.module, id, 1033), exact(dll.module, id, lang)) << lang << " " << id;
    }
}

TEST(StringTable, EnglishTextsAreExact)
{
    LoadedDll dll;
    EXPECT_EQ(L"There is no CD in the drive.  Please insert an audio CD, VCD or DVD and try again.",
              exact(dll.module, 30002, 1033));
    EXPECT_EQ(L"The CD in the drive contains software, it is not an audio CD, VCD or DVD. Software CDs must be used "
              L"from the Windows desktop.",
              exact(dll.module, 30003, 1033));
    EXPECT_EQ(L"My Documents", exact(dll.module, 30006, 1033));
    EXPECT_EQ(L"Shortcut 9", exact(dll.module, 50, 1033));
    EXPECT_EQ(L"Error", exact(dll.module, 30000, 1033));
}

TEST(StringTable, ExplicitLanguageLoadsTheTranslation)
{
    LoadedDll dll;
    char text[260];
    ASSERT_GT(vx::load_string(dll.module, 4, text, sizeof text, 1031), 0);
    EXPECT_STREQ("Rechner", text);
    ASSERT_GT(vx::load_string(dll.module, 8, text, sizeof text, 1036), 0);
    EXPECT_STREQ("Lecture", text);
    ASSERT_GT(vx::load_string(dll.module, 21, text, sizeof text, 2058), 0);
    EXPECT_STREQ("Subir volumen", text);
    ASSERT_GT(vx::load_string(dll.module, 12, text, sizeof text, 1040), 0);
    EXPECT_STREQ("Disattiva audio", text);
    // A language without a table falls back to English.
    ASSERT_GT(vx::load_string(dll.module, 12, text, sizeof text, 0x0413), 0);
    EXPECT_STREQ("Mute", text);
}
