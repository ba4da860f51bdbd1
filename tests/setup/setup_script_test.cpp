// Script choice, the [Setup] keys and script fields, against real setup
// folders and INI files, for every Windows version through the seam.
#include <gtest/gtest.h>

#include <cstring>

#include "fuzz/setup/profile_mimic.h"
#include "setup/fake_windows.h"
#include "setup/setup_folder.h"
#include "setup_config.h"
#include "setup_script.h"
#include "platform/dialog_seam.h"
#include "startup.h"

using namespace vx::setup;
using vxtest::AsWindows;
using vxtest::SetupFolder;

namespace {

constexpr char kVersionKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";

struct ScriptTest : ::testing::Test {
    SetupFolder folder{"script"};
    void SetUp() override { reset_config(); }
    void TearDown() override { reset_config(); }

    // Fills the record as start-up does, for the given Windows.
    void start_as(const vxtest::WindowsKind& kind)
    {
        AsWindows as(kind);
        evaluate_os_flags(config());
        copy_text(config().title_suffix, "Setup");
        copy_text(config().setup_folder, folder.path());
        char system[MAX_PATH] = {};
        GetSystemDirectoryA(system, MAX_PATH);
        copy_text(config().installation_folder, system);
    }
    void scripts(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            folder.write(name, std::string("[Setup]\r\nProductName=") + name + "\r\n");
    }
    std::string chosen() { return ReadSetupScript() ? config().product_name : "(none)"; }
};

// Sets HKLM ...\CurrentVersion "VersionNumber" for the scope of a test.
struct VersionNumber {
    explicit VersionNumber(const char* value) { vxtest::set_registry_string(HKEY_LOCAL_MACHINE, kVersionKey, "VersionNumber", value); }
    ~VersionNumber() { RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kVersionKey, "VersionNumber"); }
};

} // namespace

TEST_F(ScriptTest, OsFlagsForEachWindows)
{
    start_as(vxtest::kWin95);
    EXPECT_EQ(1, config().win9x_family);
    EXPECT_EQ(0, config().win98_or_later);
    EXPECT_EQ(0, config().nt_family);
    start_as(vxtest::kWin98);
    EXPECT_EQ(1, config().win98_or_later);
    EXPECT_EQ(0, config().win_me);
    {
        VersionNumber me("4.90.3000");
        start_as(vxtest::kWinMe);
        EXPECT_EQ(1, config().win_me);
        start_as(vxtest::kWin2k); // the registry is not asked on NT
        EXPECT_EQ(0, config().win_me);
    }
    {
        VersionNumber short_value("4.9");
        start_as(vxtest::kWinMe);
        EXPECT_EQ(0, config().win_me);
    }
    start_as(vxtest::kNt4);
    EXPECT_EQ(1, config().nt_family);
    EXPECT_EQ(0, config().nt5_or_later);
    EXPECT_EQ(0, config().win64);
    start_as(vxtest::kXp32);
    EXPECT_EQ(1, config().nt5_or_later);
    EXPECT_EQ(0, config().win64);
    start_as(vxtest::kWin7x64);
    EXPECT_EQ(1, config().win64);
}

TEST_F(ScriptTest, Windows9xChoice)
{
    scripts({"SETUP95.INI"});
    start_as(vxtest::kWin98);
    EXPECT_EQ("SETUP95.INI", chosen());
    start_as(vxtest::kWin95);
    scripts({"SETUP98.INI", "SETUPME.INI", "SETUPNT.INI"});
    EXPECT_EQ("SETUP95.INI", chosen());
    VersionNumber me("4.90");
    start_as(vxtest::kWinMe);
    EXPECT_EQ("SETUPME.INI", chosen());
    DeleteFileA(folder.file("SETUPME.INI").c_str());
    EXPECT_EQ("SETUP98.INI", chosen());
    EXPECT_EQ(folder.file("SETUP98.INI"), config().script_path);
}

TEST_F(ScriptTest, NtChoiceAndMissingScript)
{
    scripts({"SETUP95.INI", "SETUP98.INI", "SETUP2K.INI"});
    start_as(vxtest::kNt4);
    EXPECT_EQ(0, ReadSetupScript());
    EXPECT_EQ("", std::string(config().script_path));
    start_as(vxtest::kWin7x64);
    EXPECT_EQ("SETUP2K.INI", chosen());
    DeleteFileA(folder.file("SETUP2K.INI").c_str());
    EXPECT_EQ("(none)", chosen());
    scripts({"SETUPNT.INI"});
    EXPECT_EQ("SETUPNT.INI", chosen());
}

TEST_F(ScriptTest, SetupKeysAndTheirDefaults)
{
    folder.write("SETUPNT.INI", "[setup]\r\nproductname=Keys\r\nx86kbd=kbd32.exe\r\nx86mou=mou32.exe\r\n"
                                "BkgLogo=C:\\logo.pcx\r\n");
    start_as(vxtest::kNt4);
    ASSERT_EQ(1, ReadSetupScript());
    EXPECT_STREQ("Keys", config().product_name);
    EXPECT_STREQ("Keys Setup Setup", config().setup_title);
    EXPECT_STREQ("kbd32.exe", config().installer);
    EXPECT_STREQ("mou32.exe", config().second_program);
    EXPECT_STREQ("C:\\logo.pcx", config().logo_path);

    // 64-bit Windows reads only the x64 names, even when they are missing.
    folder.write("SETUP2K.INI", "[Setup]\r\nSetupTitle=Keyboard\r\nx86kbd=kbd32.exe\r\nx64mou=mou64.exe\r\n");
    start_as(vxtest::kWin7x64);
    ASSERT_EQ(1, ReadSetupScript());
    EXPECT_STREQ("Keyboard Setup", config().setup_title);
    EXPECT_STREQ("", config().installer);
    EXPECT_STREQ("mou64.exe", config().second_program);
    EXPECT_STREQ("", config().product_name);
}

TEST_F(ScriptTest, OverlongValuesAreCutByTheProfileReader)
{
    folder.write("SETUPNT.INI", "[Setup]\r\nProductName=" + std::string(400, 'p') + "\r\n");
    start_as(vxtest::kNt4);
    ASSERT_EQ(1, ReadSetupScript());
    EXPECT_EQ(259u, std::string(config().product_name).size());
    EXPECT_EQ(259u, std::string(config().setup_title).size());
}

TEST_F(ScriptTest, FieldsExpandBuiltinAndStringsMacros)
{
    folder.write("SETUPNT.INI", "[Strings]\r\nApp=Key Tools\r\nLoop=%1%\r\nBig=" + std::string(300, 'b') + "\r\n");
    start_as(vxtest::kNt4);
    ASSERT_EQ(1, ReadSetupScript());
    char windows[MAX_PATH] = {}, system[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    GetSystemDirectoryA(system, MAX_PATH);

    char out[260];
    const char* value = "%10%\\Fonts, \"a,b\" ,x";
    std::size_t end = ReadField(value, out);
    EXPECT_EQ(std::string(windows) + "\\Fonts", out);
    ASSERT_EQ(',', value[end]);
    end += 1 + ReadField(value + end + 1, out);
    EXPECT_STREQ("a,b ", out);
    ReadField(value + end + 1, out);
    EXPECT_STREQ("x", out);

    EXPECT_EQ((std::vector<std::string>{folder.path() + "\\x", system, "Key Tools\\%1%"}),
              script_fields("%1%\\x,%99%,%app%\\%Loop%", 3));
    EXPECT_EQ(std::string(windows) + "\\System32\\Drivers", script_fields("%12%", 1)[0]);
    EXPECT_EQ(std::string(windows) + "\\Help", script_fields("%18%", 1)[0]);

    std::memset(out, 'z', sizeof out);
    EXPECT_EQ(0, ExpandMacro("Nowhere", out));
    EXPECT_EQ('z', out[0]); // nothing placed
    EXPECT_EQ(259, ExpandMacro("Big", out));
    EXPECT_EQ('\0', out[259]);
}

TEST_F(ScriptTest, SectionKeysInOrder)
{
    folder.write("SETUPNT.INI", "[PreRun Programs]\r\nb.exe=1\r\na.exe=2\r\n[Empty]\r\n");
    start_as(vxtest::kNt4);
    ASSERT_EQ(1, ReadSetupScript());
    EXPECT_EQ((std::vector<std::string>{"b.exe", "a.exe"}), script_section_keys("prerun programs"));
    EXPECT_TRUE(script_section_keys("Empty").empty());
    EXPECT_TRUE(script_section_keys("Missing").empty());
}

// The fuzz target reads scripts through a portable copy of the profile
// service; it is only worth its findings while it answers as the service does.
TEST(ProfileMimic, AnswersAsTheProfileServiceOnTrickyFiles)
{
    using namespace std::string_literals;
    const std::string long_name(300, 'n'), long_value(300, 'v'), quoted_260 = "\"" + std::string(259, 'q') + "\"";
    const std::string files[] = {
        "\t[ Setup ] \r\n  Key A  =  v a l \t\r\nK2=\"quoted\"\r\nK3='single'\r\nK4=\"open\r\nK5=\"\r\n"
        "novalue\r\n;c=comment\r\n=nameless\r\n=again\r\nlast = x\x1a\r\n",
        "top=1\r[a]\rk1=1\rk2=2\n\r\n[b]\nk=\"\"\nk2='a\"\n\n\n[a]\nk1=dup\nk3=3\n",
        "[Setup\r\nx=1\r\n[Se]tup]\r\ny=2\r\n[]\r\nz=3\r\n[ b ] trailing\r\nw=4\r\n",
        "[long]\r\n" + long_name + "1=1\r\n" + long_name + "2=2\r\n" + long_name + "3=3\r\n" + long_name + "4=4\r\n" +
            "k=" + long_value + "\r\nq=" + quoted_260 + "\r\nq2=" + quoted_260.substr(1) + "\"\r\n",
        "[S\xC4\x8A\x9F]\r\nk\xE4=\xFF\x81\x9D\xA0\r\nnul=ab\0cd\r\n\0x=1\r\n =v\r\n\xA0k=nbsp\r\n"s,
        "",
        "[Setup]",
    };
    const char* sections[] = {"Setup", " setup\t", "a", "b", "Se]tup", "Se", "", "long", "s\xE4\x9A\xFF", "Missing"};
    const char* keys[] = {nullptr, "Key A", " key a ", "K2",  "K3",  "K4",   "K5",  "novalue", ";c", "",    "last", "k1",
                          "k2",    "k",     "x",       "y",   "z",   "w",    "q",   "q2",      "nul", "K\xC4", "\xA0k", "top"};
    SetupFolder folder{"mimic"};
    int checked = 0;
    for (std::size_t f = 0; f < std::size(files); ++f) {
        const std::string path = folder.file("case" + std::to_string(f) + ".ini");
        folder.write("case" + std::to_string(f) + ".ini", files[f]);
        const vxtest::ProfileMimic mimic(files[f]);
        for (const char* section : sections)
            for (const char* key : keys)
                for (const char* fallback : {"", "'fallback'  "})
                    for (DWORD size : {key ? 260u : 1024u, 9u}) {
                        char real[1024], copy[1024];
                        std::memset(real, '#', sizeof real);
                        std::memset(copy, '#', sizeof copy);
                        const DWORD n = GetPrivateProfileStringA(section, key, fallback, real, size, path.c_str());
                        const std::size_t m = mimic.read(section, key, fallback, copy, size);
                        ASSERT_TRUE(n == m && std::memcmp(real, copy, size) == 0)
                            << "file " << f << " [" << section << "] " << (key ? key : "(list)") << " fallback '"
                            << fallback << "' size " << size << ": " << n << " '" << std::string(real, size)
                            << "' against " << m << " '" << std::string(copy, size) << "'";
                        ++checked;
                    }
    }
    EXPECT_GT(checked, 1000);
}

TEST(ThreadLocale, NtPicksASupportedLanguageNineXLeavesItAlone)
{
    const LCID saved = GetThreadLocale();
    SetThreadLocale(0x0C04);
    choose_thread_locale(false);
    EXPECT_EQ(0x0C04u, GetThreadLocale());
    choose_thread_locale(true);
    EXPECT_EQ(0x0404u, GetThreadLocale());
    SetThreadLocale(0x0419);
    choose_thread_locale(true);
    EXPECT_EQ(0x0409u, GetThreadLocale());
    SetThreadLocale(0x0411);
    choose_thread_locale(true);
    EXPECT_EQ(0x0411u, GetThreadLocale());
    SetThreadLocale(saved);
}

namespace {
struct Box {
    std::string text, caption;
    HWND owner;
    UINT type;
    int shown = 0;
};
Box& last_box()
{
    static Box box;
    return box;
}
int WINAPI record_box(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    last_box() = {text, caption, owner, type, last_box().shown + 1};
    return IDOK;
}
} // namespace

TEST(StartUp, WithoutAFittingScriptShowsTheWarningAndEndsWithZero)
{
    // The test program's own folder holds no setup script, but a DLL that
    // loads by bare name until start-up limits the search to the system folder.
    const char* probe = "vx_search_probe.dll";
    HMODULE found = LoadLibraryA(probe);
    ASSERT_NE(nullptr, found);
    FreeLibrary(found);
    reset_config();
    vx::setup::platform::SeamOverride box(vx::setup::platform::dialogs().MessageBoxA, record_box);
    EXPECT_EQ(0, run_setup(GetModuleHandleA(nullptr), "/S", Role::Launcher));
    EXPECT_EQ(nullptr, LoadLibraryA(probe)) << "a DLL beside setup was loaded by bare name";
    EXPECT_NE(nullptr, LoadLibraryA("version.dll"));
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS); // this program's folder again, for later tests
    EXPECT_EQ(1, last_box().shown);
    EXPECT_EQ("Setup Warning", last_box().caption);
    EXPECT_EQ("Current O.S. is not supported by this software, please refer to the user's manual or readme.txt for "
              "more information.",
              last_box().text);
    EXPECT_EQ(nullptr, last_box().owner);
    EXPECT_EQ(static_cast<UINT>(MB_OK), last_box().type);
    EXPECT_STREQ("Setup", config().title_suffix);
    EXPECT_EQ(0, config().silent) << "switches are read only after the script";
    reset_config();
}

TEST(StartUp, SetupFolderWithoutAnAnsiFormOrTooLongForItsScriptIsRefusedByName)
{
    // A folder outside the ANSI code page without a short form (one that is
    // not there has none; under Wine every real one has): refused, named.
    SetupFolderChoice choice = setup_folder_of(L"C:\\nowhere\\Ключ\\setup.exe");
    EXPECT_EQ("", choice.folder);
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION), choice.failure.code);
    EXPECT_EQ(kStringPathTooLong, choice.failure.text_id);
    EXPECT_EQ(L"C:\\nowhere\\Ключ", choice.failure.subject);
    // The longest folder whose script path fits MAX_PATH has 247 characters.
    const std::wstring longest = L"C:\\" + std::wstring(244, L'a');
    EXPECT_FALSE(setup_folder_of(longest + L"\\setup.exe").failure);
    choice = setup_folder_of(longest + L"b\\setup.exe");
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE), choice.failure.code);
    EXPECT_EQ(longest + L"b", choice.failure.subject);
}
