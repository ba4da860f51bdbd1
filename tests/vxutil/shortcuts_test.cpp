// Shortcuts created with CreateShortcut and read back through the shell-link
// object of the Wine prefix.
#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include <string>

#include "support/pe_exports.h"
#include "vxutil.h"
#include "vxutil/test_folder.h"

using vxtest::TempFolder;

namespace {

struct IconLocation {
    std::string file;
    int index = -1;
};

IconLocation icon_of(const std::string& link)
{
    IconLocation result;
    CoInitialize(nullptr);
    IShellLinkA* shell_link = nullptr;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&shell_link))) &&
        SUCCEEDED(shell_link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
        char icon[MAX_PATH] = "";
        if (SUCCEEDED(file->Load(wide, STGM_READ)) &&
            SUCCEEDED(shell_link->GetIconLocation(icon, sizeof icon, &result.index)))
            result.file = icon;
    }
    if (file)
        file->Release();
    if (shell_link)
        shell_link->Release();
    CoUninitialize();
    return result;
}

// Sets HKCR\hlpfile\DefaultIcon for the scope and puts back what was there.
class HelpIconKey {
public:
    explicit HelpIconKey(const char* value) : HelpIconKey(value, static_cast<DWORD>(strlen(value) + 1), REG_SZ) {}
    HelpIconKey(const void* data, DWORD size, DWORD type)
    {
        char old[MAX_PATH];
        had_ = Reg_GetValueString(HKEY_CLASSES_ROOT, "hlpfile\\DefaultIcon", nullptr, old, sizeof old) != 0;
        if (had_)
            old_ = old;
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_CLASSES_ROOT, "hlpfile\\DefaultIcon", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr);
        RegSetValueExA(key, nullptr, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }
    ~HelpIconKey()
    {
        if (had_)
            Reg_SetValueString(HKEY_CLASSES_ROOT, "hlpfile\\DefaultIcon", nullptr, old_.c_str());
        else
            RegDeleteValueA(HKEY_CLASSES_ROOT, "hlpfile\\DefaultIcon");
    }

private:
    bool had_ = false;
    std::string old_;
};

TEST(Shortcuts, CreatedShortcutReadsBackWithArguments)
{
    TempFolder folder("links");
    const std::string target = vxtest::program_folder() + "version_short.exe";
    const std::string link = folder / "Short.lnk";
    ASSERT_EQ(S_OK, CreateShortcut(target.c_str(), "-x \"a b\"", 0, link.c_str()));

    char path[MAX_PATH] = "x", description[MAX_PATH] = "x";
    EXPECT_EQ(S_OK, GetLinkInfo(nullptr, link.c_str(), path, description));
    EXPECT_EQ(0, lstrcmpiA(target.c_str(), path)) << path;
    EXPECT_STREQ("", description);

    char arguments[MAX_PATH] = "";
    EXPECT_TRUE(SUCCEEDED(GetLinkInfoEx(nullptr, link.c_str(), path, arguments, description)));
    EXPECT_EQ(S_OK, GetLinkInfoEx(nullptr, link.c_str(), path, arguments, nullptr))
        << "an ordinary shortcut is not an advertised one";
    EXPECT_EQ(0, lstrcmpiA(target.c_str(), path));
    EXPECT_STREQ("-x \"a b\"", arguments);

    const IconLocation icon = icon_of(link);
    EXPECT_EQ(0, lstrcmpiA(target.c_str(), icon.file.c_str())) << icon.file;
}

TEST(Shortcuts, HelpFileTargetTakesTheHelpTypesIcon)
{
    HelpIconKey key("\"C:\\icons\\help book.dll\",\"3\"");
    TempFolder folder("hlp");
    folder.add_file("Guide.HLP");
    const std::string link = folder / "Guide.lnk";
    ASSERT_EQ(S_OK, CreateShortcut((folder / "Guide.HLP").c_str(), "", 9, link.c_str()));
    const IconLocation icon = icon_of(link);
    EXPECT_EQ("C:\\icons\\help book.dll", icon.file);
    EXPECT_EQ(3, icon.index);
}

TEST(Shortcuts, HelpTypeIconThatIsNoTextIsPassedOver)
{
    // A full MAX_PATH of data without a terminator, as any user may write
    // under HKCU\Software\Classes.
    const std::string junk(MAX_PATH, 'A');
    HelpIconKey key(junk.data(), MAX_PATH, REG_BINARY);
    TempFolder folder("hlpjunk");
    folder.add_file("Guide.hlp");
    const std::string link = folder / "Guide.lnk";
    ASSERT_EQ(S_OK, CreateShortcut((folder / "Guide.hlp").c_str(), "", 9, link.c_str()));
    EXPECT_EQ("", icon_of(link).file);
}

TEST(Shortcuts, FailuresReturnTheFailingResultWithEmptyOutputs)
{
    char path[MAX_PATH] = "old", description[MAX_PATH] = "old", arguments[MAX_PATH] = "kept";
    EXPECT_TRUE(FAILED(GetLinkInfo(nullptr, "C:\\no\\such.lnk", path, description)));
    EXPECT_STREQ("", path);
    EXPECT_STREQ("", description);
    EXPECT_TRUE(FAILED(GetLinkInfoEx(nullptr, "C:\\no\\such.lnk", path, arguments, description)));
    EXPECT_TRUE(FAILED(GetLinkInfoEx(nullptr, nullptr, path, arguments, description)));

    const std::string long_link = "C:\\" + std::string(300, 'l') + ".lnk";
    EXPECT_TRUE(FAILED(CreateShortcut("C:\\x.exe", "", 0, long_link.c_str())));
    EXPECT_TRUE(FAILED(GetLinkInfo(nullptr, long_link.c_str(), path, description)));
    EXPECT_EQ(E_INVALIDARG, CreateShortcut(nullptr, "", 0, "C:\\a.lnk"));
}

} // namespace
