// The built programs as a user runs them: the launcher (the role the x86
// setup.exe plays) and the x64 registry helper, as vxtest::SetupPrograms
// names them, copied into setup folders made here, with the stand-in program
// as installers and helper. Exit codes are read with GetExitCodeProcess, so
// values above 255 arrive whole.
#include <gtest/gtest.h>

#include <algorithm>

#include "programs.h"
#include "setup/setup_folder.h"

using vxtest::SetupFolder;

namespace {

const std::string kKey = "Software\\VxSetupTests\\EndToEnd";

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

// The launcher in a folder with a stand-in 64-bit helper and keyboard installer.
struct LauncherFolder {
    SetupFolder folder;
    explicit LauncherFolder(const std::string& hint, DWORD kbd_code = 0, DWORD kbd_sleep = 0) : folder(hint)
    {
        folder.install(folder.programs().launcher, "setup.exe");
        folder.stand_in("Zondrel.exe");
        folder.stand_in("kbd.exe", kbd_code, kbd_sleep);
        folder.stand_in("mou.exe");
    }
    void script(const std::string& extra = "")
    {
        folder.write("SETUP2K.INI", "[Setup]\r\nProductName=Keys\r\nx64kbd=kbd.exe\r\nx64mou=mou.exe\r\n" + extra);
    }
    DWORD run(const std::string& args)
    {
        return vxtest::finish(vxtest::launch(folder.file("setup.exe"), args, folder.path()));
    }
};

struct EndToEnd : ::testing::Test {
    void SetUp() override { vxtest::delete_registry_tree(HKEY_CURRENT_USER, kKey); }
    void TearDown() override { vxtest::delete_registry_tree(HKEY_CURRENT_USER, kKey); }
    static std::string reg(const std::string& name)
    {
        return "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + kKey + "]\r\n\"" + name + "\"=\"yes\"\r\n";
    }
    static bool imported(const std::string& name, std::chrono::milliseconds limit = std::chrono::seconds(10))
    {
        return vxtest::eventually([&] { return vxtest::read_registry_string(HKEY_CURRENT_USER, kKey, name) == "yes"; },
                                  limit);
    }
};

// Texts of the child windows of a window.
std::vector<std::string> child_texts(HWND window)
{
    std::vector<std::string> texts;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM out) WINAPI -> BOOL {
            char text[512] = {};
            GetWindowTextA(child, text, sizeof text);
            reinterpret_cast<std::vector<std::string>*>(out)->push_back(text);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&texts));
    return texts;
}

HWND setup_window_of(DWORD process_id)
{
    HWND found = nullptr;
    vxtest::eventually([&] {
        for (HWND w = FindWindowA("FullSetupClass", nullptr); w; w = FindWindowExA(nullptr, w, "FullSetupClass", nullptr)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == process_id) {
                found = w;
                return true;
            }
        }
        return false;
    });
    return found;
}

} // namespace

TEST_F(EndToEnd, InstallerExitCodeBecomesSetupExitCodeUnchanged)
{
    for (DWORD code : {0u, 3010u, 300u}) {
        LauncherFolder f("exit code", code);
        // Like many installers, this one broadcasts WM_SETTINGCHANGE with
        // SendMessage, which returns only once setup's window has answered.
        if (code == 3010)
            f.folder.stand_in("kbd.exe", code, 0, "Broadcast=1\r\n");
        f.script();
        EXPECT_EQ(code, f.run(code == 3010 ? "/S /NR" : "")) << code;
        auto runs = f.folder.runs("kbd.exe");
        ASSERT_EQ(1u, runs.size());
        // The whole command line after one blank; the blank also when there is none.
        EXPECT_EQ(quoted(f.folder.file("kbd.exe")) + (code == 3010 ? " /S /NR" : " "), runs[0].cmdline);
        EXPECT_EQ(f.folder.path(), runs[0].cwd);
        EXPECT_TRUE(f.folder.runs("mou.exe").empty());
    }
}

TEST_F(EndToEnd, NoFittingScriptShowsTheWarningAndStartsNothing)
{
    LauncherFolder f("no script");
    f.folder.write("SETUP95.INI", "[Setup]\r\nx64kbd=kbd.exe\r\n[PreRun Programs]\r\nkbd.exe=%1%,,1\r\n");
    HANDLE process = vxtest::launch(f.folder.file("setup.exe"), "", f.folder.path());
    ASSERT_NE(nullptr, process);
    HWND box = nullptr;
    ASSERT_TRUE(vxtest::eventually([&] { return (box = FindWindowA("#32770", "Setup Warning")) != nullptr; }));
    const auto texts = child_texts(box);
    EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(),
                                     "Current O.S. is not supported by this software, please refer to the user's manual "
                                     "or readme.txt for more information."));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(0u, vxtest::finish(process));
    EXPECT_TRUE(f.folder.runs("kbd.exe").empty());
    EXPECT_TRUE(f.folder.runs("Zondrel.exe").empty());
}

TEST_F(EndToEnd, ChainMessageStartsMouseInstallerWithSwitchesAndKeepsTheExitCode)
{
    // The message may be sent instead of posted: setup answers it at once,
    // while it waits for the keyboard installer, and acts on it in its turn.
    const struct {
        const char* args;
        const char* tail;
        bool send;
    } cases[] = {{"/QN", " /h", false}, {"/h /V", " /h /s", true}, {"/S /TYPE:USB /NR", " /s /nr", false}};
    for (const auto& c : cases) {
        LauncherFolder f("chain", 42, 2500);
        f.script();
        HANDLE process = vxtest::launch(f.folder.file("setup.exe"), c.args, f.folder.path());
        ASSERT_NE(nullptr, process);
        ASSERT_TRUE(vxtest::eventually([&] { return f.folder.runs("kbd.exe").size() == 1; }));
        HWND window = setup_window_of(GetProcessId(process));
        ASSERT_NE(nullptr, window);
        EXPECT_FALSE(IsWindowVisible(window));
        DWORD_PTR answer = 0;
        if (c.send)
            EXPECT_NE(0, SendMessageTimeoutA(window, 7213, 0, 0, SMTO_NORMAL, 1000, &answer)) << "not answered";
        else
            PostMessageA(window, 7213, 0, 0);
        EXPECT_EQ(42u, vxtest::finish(process)) << c.args;
        ASSERT_TRUE(vxtest::eventually([&] { return f.folder.runs("mou.exe").size() == 1; }));
        EXPECT_EQ(quoted(f.folder.file("mou.exe")) + c.tail, f.folder.runs("mou.exe")[0].cmdline);
        EXPECT_EQ(f.folder.path(), f.folder.runs("mou.exe")[0].cwd);
        EXPECT_GE(f.folder.runs("mou.exe")[0].start, f.folder.runs("kbd.exe")[0].end) << "not in its turn";
    }
}

TEST_F(EndToEnd, PreRunProgramsRunBeforeTheInstaller)
{
    LauncherFolder f("pre run", 7);
    f.folder.stand_in("prep.exe", 0, 300);
    f.script("[PreRun Programs]\r\nprep.exe=%1%,/quiet,1\r\n");
    EXPECT_EQ(7u, f.run("/S"));
    auto prep = f.folder.runs("prep.exe");
    ASSERT_EQ(1u, prep.size());
    EXPECT_EQ(quoted(f.folder.file("prep.exe")) + " /quiet", prep[0].cmdline);
    EXPECT_GE(f.folder.runs("kbd.exe")[0].start, prep[0].end);
}

TEST_F(EndToEnd, LauncherOn64BitWindowsHandsTheImportToTheHelperAndWaits)
{
    LauncherFolder f("helper");
    f.folder.stand_in("Zondrel.exe", 0, 400);
    f.folder.write("keys.reg", reg("ByLauncher"));
    f.script("[Add Registry Files]\r\n1=keys.reg\r\n");
    EXPECT_EQ(0u, f.run(""));
    auto helper = f.folder.runs("Zondrel.exe");
    ASSERT_EQ(1u, helper.size());
    EXPECT_EQ(quoted(f.folder.file("Zondrel.exe")), helper[0].cmdline);
    EXPECT_EQ(f.folder.path(), helper[0].cwd);
    EXPECT_GE(f.folder.runs("kbd.exe")[0].start, helper[0].end);
    EXPECT_FALSE(imported("ByLauncher", std::chrono::milliseconds(1000))) << "the launcher imported by itself";

    // With the real x64 program as the helper, its import lands, and the
    // pre-run program runs once, from the launcher only.
    f.folder.install(f.folder.programs().helper, "Zondrel.exe");
    f.folder.stand_in("prep.exe");
    f.script("[Add Registry Files]\r\n1=keys.reg\r\n[PreRun Programs]\r\nprep.exe=%1%,,1\r\n");
    EXPECT_EQ(0u, f.run(""));
    EXPECT_TRUE(imported("ByLauncher"));
    EXPECT_EQ(1u, f.folder.runs("prep.exe").size());
}

TEST_F(EndToEnd, RegistryHelperOnlyImportsAndEndsWithZero)
{
    // Started on its own (an x64 package), the helper runs the pre-run programs.
    SetupFolder folder("x64 helper");
    folder.install(folder.programs().helper, "setup.exe");
    folder.stand_in("kbd.exe", 5);
    folder.stand_in("Zondrel.exe");
    folder.stand_in("prep.exe");
    folder.write("with blanks.reg", reg("ByHelper"));
    folder.write("SETUP2K.INI", "[Setup]\r\nx64kbd=kbd.exe\r\nx86kbd=kbd.exe\r\n[Add Registry Files]\r\nk=with blanks.reg\r\n"
                                "[PreRun Programs]\r\nprep.exe=%1%,,1\r\n");
    EXPECT_EQ(0u, vxtest::finish(vxtest::launch(folder.file("setup.exe"), "/S", folder.path())));
    EXPECT_TRUE(imported("ByHelper"));
    EXPECT_EQ(1u, folder.runs("prep.exe").size());
    EXPECT_TRUE(folder.runs("kbd.exe").empty());
    EXPECT_TRUE(folder.runs("Zondrel.exe").empty());
}

namespace {

// The warning box of a setup process once it is up: its window and texts.
HWND warning_box(std::vector<std::string>& texts)
{
    HWND box = nullptr;
    vxtest::eventually([&] { return (box = FindWindowA("#32770", "Setup Warning")) != nullptr; });
    if (box)
        texts = child_texts(box);
    return box;
}

bool has_text_ending(const std::vector<std::string>& texts, const std::string& tail)
{
    return std::any_of(texts.begin(), texts.end(),
                       [&](const std::string& t) { return t.size() >= tail.size() && t.ends_with(tail); });
}

} // namespace

TEST_F(EndToEnd, InstallerThatCannotStartEndsWithItsErrorAfterTheRegistryStepAndStartsNothingMore)
{
    LauncherFolder f("missing installer");
    f.folder.write("SETUP2K.INI", "[Setup]\r\nx64kbd=gone.exe\r\nx64mou=mou.exe\r\n");
    // Silent: no box to wait for a person.
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), f.run("/S"));
    EXPECT_EQ(1u, f.folder.runs("Zondrel.exe").size()) << "the registry step runs before it";

    // The mouse installer asked for meanwhile is not started.
    HANDLE process = f.folder.start("setup.exe", "/S");
    ASSERT_NE(nullptr, process);
    PostMessageA(setup_window_of(GetProcessId(process)), 7213, 0, 0);
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), vxtest::finish(process));
    EXPECT_TRUE(f.folder.runs("mou.exe").empty());
}

TEST_F(EndToEnd, SetupFolderTooLongForItsPathsGetsTheLongPathMessage)
{
    // 248 and 249 characters: setup's own path fits MAX_PATH, its script's
    // does not. 250: setup's own path does not fit either, so it can only
    // be started by its short form, and then runs through that.
    for (std::size_t length : {248u, 249u, 250u}) {
        SetupFolder folder("long");
        folder.nest_to(length);
        ASSERT_EQ(length, folder.wide_path().size());
        folder.install(folder.programs().launcher, "setup.exe");
        folder.stand_in("Zondrel.exe");
        folder.stand_in("kbd.exe", 7);
        folder.write("SETUP2K.INI", "[Setup]\r\nx64kbd=kbd.exe\r\n");
        HANDLE process = folder.start("setup.exe", length == 248 ? "" : "/S");
        ASSERT_NE(nullptr, process) << length << ": error " << GetLastError();
        if (length == 248) {
            std::vector<std::string> texts;
            HWND box = warning_box(texts);
            ASSERT_NE(nullptr, box);
            EXPECT_TRUE(has_text_ending(texts, "run setup again.\r\n\r\n" + folder.path())) << "string 19";
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
        EXPECT_EQ(length == 250 ? 7u : static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE), vxtest::finish(process))
            << length;
        EXPECT_EQ(length == 250 ? 1u : 0u, folder.runs("kbd.exe").size()) << length;
    }
}

TEST_F(EndToEnd, SetupFolderOutsideTheAnsiCodePageRunsThroughItsShortName)
{
    SetupFolder folder(std::wstring(L"Установка клавиатуры"));
    ASSERT_NE(std::string::npos, folder.path().find('~')) << "Wine gives such a folder a short name";
    folder.install(folder.programs().launcher, "setup.exe");
    folder.install(folder.programs().helper, "Zondrel.exe");
    folder.stand_in("kbd.exe", 5);
    folder.stand_in("prep.exe");
    folder.write("keys.reg", reg("ByShortName"));
    folder.write("SETUP2K.INI", "[Setup]\r\nx64kbd=kbd.exe\r\n[Add Registry Files]\r\n1=keys.reg\r\n"
                                "[PreRun Programs]\r\nprep.exe=%1%,,1\r\n");
    EXPECT_EQ(5u, vxtest::finish(folder.start("setup.exe", "/S")));
    ASSERT_EQ(1u, folder.runs("kbd.exe").size());
    EXPECT_EQ(quoted(folder.file("kbd.exe")) + " /S", folder.runs("kbd.exe")[0].cmdline);
    EXPECT_EQ(folder.path(), folder.runs("kbd.exe")[0].cwd);
    EXPECT_EQ(1u, folder.runs("prep.exe").size());
    EXPECT_TRUE(imported("ByShortName"));
}

TEST_F(EndToEnd, HelperHonoursTheLauncherMarkerOnlyFromItsParentAndPassesNoneOn)
{
    const char* marker = "VX_SETUP_STARTED_BY_LAUNCHER";
    SetupFolder folder("marker");
    folder.install(folder.programs().helper, "setup.exe");
    folder.stand_in("prep.exe", 0, 0, std::string("Env=") + marker + "\r\n");
    folder.write("SETUP2K.INI", "[Setup]\r\n[PreRun Programs]\r\nprep.exe=%1%,,1\r\n");
    // Set by the helper's grandparent (naming it), or left by an older
    // launcher: inherited, not from the parent, so the pre-run program runs
    // and does not see the marker.
    for (const std::string& value : {std::to_string(vx::setup::parent_process_id()), std::string("1")}) {
        SetEnvironmentVariableA(marker, value.c_str());
        EXPECT_EQ(0u, vxtest::finish(vxtest::launch(folder.file("setup.exe"), "", folder.path()))) << value;
    }
    // Naming the process that started the helper, as the launcher does.
    SetEnvironmentVariableA(marker, std::to_string(GetCurrentProcessId()).c_str());
    EXPECT_EQ(0u, vxtest::finish(vxtest::launch(folder.file("setup.exe"), "", folder.path())));
    SetEnvironmentVariableA(marker, nullptr);
    const auto prep = folder.runs("prep.exe");
    ASSERT_EQ(2u, prep.size());
    EXPECT_EQ("", prep[0].env);
    EXPECT_EQ("", prep[1].env);
}

namespace {

// One INI per Windows kind, each naming an installer whose exit code tells
// which script was read.
struct VersionFolder {
    SetupFolder folder;
    std::string exe;
    VersionFolder(const std::string& version, std::initializer_list<std::pair<const char*, DWORD>> scripts)
        : folder("version " + version), exe("setup_" + version + ".exe")
    {
        folder.install(folder.programs().launcher, exe);
        folder.stand_in("Zondrel.exe");
        for (const auto& [name, code] : scripts) {
            const std::string kbd = "kbd" + std::to_string(code) + ".exe";
            folder.stand_in(kbd, code);
            folder.write(name, "[Setup]\r\nx64kbd=" + kbd + "\r\n");
        }
    }
    DWORD run_as(const std::string& version)
    {
        vxtest::EmulatedVersion as(exe, version);
        HANDLE process = vxtest::launch(folder.file(exe), "", folder.path());
        HWND box = nullptr;
        // A missing script shows the warning; close it and report 1000.
        DWORD code = WAIT_TIMEOUT;
        while ((code = WaitForSingleObject(process, 50)) == WAIT_TIMEOUT) {
            if ((box = FindWindowA("#32770", "Setup Warning")) != nullptr) {
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                vxtest::finish(process);
                return 1000;
            }
        }
        return vxtest::finish(process);
    }
};

constexpr std::pair<const char*, DWORD> k95{"SETUP95.INI", 95}, k98{"SETUP98.INI", 98}, kMe{"SETUPME.INI", 90},
    kNt{"SETUPNT.INI", 40}, k2k{"SETUP2K.INI", 50};

} // namespace

TEST_F(EndToEnd, ScriptChoiceUnderEmulatedWindowsVersions)
{
    {
        VersionFolder all("all", {k95, k98, kMe, kNt, k2k});
        EXPECT_EQ(95u, all.run_as("win95"));
        EXPECT_EQ(98u, all.run_as("win98"));
        EXPECT_EQ(40u, all.run_as("nt40"));
        for (const char* nt5 : {"win2k", "winxp", "win7", "win10"})
            EXPECT_EQ(50u, all.run_as(nt5)) << nt5;
    }
    {
        VersionFolder old("old", {k95, kNt});
        EXPECT_EQ(95u, old.run_as("win98"));
        EXPECT_EQ(40u, old.run_as("winxp"));
        EXPECT_EQ(40u, old.run_as("win10"));
    }
    {
        // Windows Me is Windows 98 or later with VersionNumber 4.90.
        const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion";
        vxtest::set_registry_string(HKEY_LOCAL_MACHINE, key, "VersionNumber", "4.90.3000");
        VersionFolder me("me", {k95, k98, kMe});
        EXPECT_EQ(90u, me.run_as("winme"));
        DeleteFileA(me.folder.file("SETUPME.INI").c_str());
        EXPECT_EQ(98u, me.run_as("winme"));
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, key.c_str(), "VersionNumber");
    }
    {
        VersionFolder none("none", {k98});
        EXPECT_EQ(1000u, none.run_as("win7"));
        EXPECT_EQ(1000u, none.run_as("win95"));
    }
}

namespace {

bool native_64bit_windows()
{
    SYSTEM_INFO info{};
    GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
}

const std::string kMachineKey = "Software\\VxSetupTests\\X86Launcher";

// The value under HKLM in one registry view (KEY_WOW64_64KEY or _32KEY).
std::string machine_value(REGSAM view, const std::string& name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kMachineKey.c_str(), 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS)
        return {};
    char value[MAX_PATH] = {};
    DWORD size = sizeof value - 1;
    RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return value;
}

void delete_machine_key()
{
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        HKEY parent = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\VxSetupTests", 0, KEY_ALL_ACCESS | view, &parent) ==
            ERROR_SUCCESS) {
            RegDeleteKeyExA(parent, "X86Launcher", view, 0);
            RegCloseKey(parent);
        }
    }
}

// The x86 setup.exe in a folder with installers for both architectures, a
// machine-wide registry file and a pre-run program whose parameter is the
// system folder macro. The keyboard installer takes its time, so 7213 can be
// sent while it runs.
struct X86Install {
    LauncherFolder f{"x86 launcher", 9, 1500};
    X86Install()
    {
        delete_machine_key();
        f.folder.stand_in("kbd86.exe", 86, 1500);
        f.folder.stand_in("mou86.exe");
        f.folder.stand_in("prep.exe");
        f.folder.write("machine.reg", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\" + kMachineKey +
                                          "]\r\n\"Imported\"=\"yes\"\r\n");
        f.folder.write("SETUP2K.INI", "[Setup]\r\nx64kbd=kbd.exe\r\nx64mou=mou.exe\r\nx86kbd=kbd86.exe\r\n"
                                      "x86mou=mou86.exe\r\n[Add Registry Files]\r\n1=machine.reg\r\n"
                                      "[PreRun Programs]\r\nprep.exe=%1%,%11%,1\r\n");
    }
    ~X86Install() { delete_machine_key(); }
    // Runs setup with /S, sends 7213 once the keyboard installer runs;
    // returns setup's exit code.
    DWORD run(const std::string& kbd)
    {
        HANDLE process = vxtest::launch(f.folder.file("setup.exe"), "/S", f.folder.path());
        EXPECT_NE(nullptr, process);
        if (!process)
            return ~0u;
        EXPECT_TRUE(vxtest::eventually([&] { return f.folder.runs(kbd).size() == 1; }, std::chrono::seconds(30)));
        HWND window = setup_window_of(GetProcessId(process));
        DWORD_PTR answer = 0;
        EXPECT_NE(0, SendMessageTimeoutA(window, 7213, 0, 0, SMTO_NORMAL, 5000, &answer));
        return vxtest::finish(process, 60000);
    }
    std::string system_folder() const
    {
        char path[MAX_PATH] = {};
        GetSystemDirectoryA(path, MAX_PATH);
        return path;
    }
};

} // namespace

// What users run on today's machines: the x86 setup.exe on 64-bit Windows,
// with the x64 build beside it as Zondrel.exe.
TEST_F(EndToEnd, X86LauncherOn64BitWindowsImportsThroughTheX64Helper)
{
    if (sizeof(void*) != 4 || !native_64bit_windows())
        GTEST_SKIP() << "an x86 program on 64-bit Windows only";
    X86Install x;
    x.f.folder.install(x.f.folder.programs().helper, "Zondrel.exe");
    EXPECT_EQ(9u, x.run("kbd.exe"));
    // The x64 helper imported the file: the value is in the 64-bit view,
    // not redirected under WOW6432Node.
    EXPECT_EQ("yes", machine_value(KEY_WOW64_64KEY, "Imported"));
    EXPECT_EQ("", machine_value(KEY_WOW64_32KEY, "Imported"));
    EXPECT_EQ(quoted(x.f.folder.file("kbd.exe")) + " /S", x.f.folder.runs("kbd.exe")[0].cmdline);
    ASSERT_TRUE(vxtest::eventually([&] { return x.f.folder.runs("mou.exe").size() == 1; }));
    EXPECT_EQ(quoted(x.f.folder.file("mou.exe")) + " /s", x.f.folder.runs("mou.exe")[0].cmdline);
    EXPECT_TRUE(x.f.folder.runs("kbd86.exe").empty());
    EXPECT_TRUE(x.f.folder.runs("mou86.exe").empty());
    // Pre-run programs run once, from the launcher, and %11% is the system
    // folder as the 32-bit launcher sees it.
    const auto prep = x.f.folder.runs("prep.exe");
    ASSERT_EQ(1u, prep.size());
    EXPECT_EQ(quoted(x.f.folder.file("prep.exe")) + " " + x.system_folder(), prep[0].cmdline);
}

// The same setup.exe on 32-bit Windows (run in a 32-bit prefix) imports the
// registry files itself and chains the x86 installers.
TEST_F(EndToEnd, X86LauncherOn32BitWindowsImportsItselfAndRunsTheX86Installers)
{
    if (sizeof(void*) != 4 || native_64bit_windows())
        GTEST_SKIP() << "32-bit Windows only";
    X86Install x;
    EXPECT_EQ(86u, x.run("kbd86.exe"));
    EXPECT_EQ("yes", machine_value(0, "Imported"));
    EXPECT_TRUE(x.f.folder.runs("Zondrel.exe").empty());
    EXPECT_EQ(quoted(x.f.folder.file("kbd86.exe")) + " /S", x.f.folder.runs("kbd86.exe")[0].cmdline);
    ASSERT_TRUE(vxtest::eventually([&] { return x.f.folder.runs("mou86.exe").size() == 1; }));
    EXPECT_EQ(quoted(x.f.folder.file("mou86.exe")) + " /s", x.f.folder.runs("mou86.exe")[0].cmdline);
    EXPECT_TRUE(x.f.folder.runs("kbd.exe").empty());
    const auto prep = x.f.folder.runs("prep.exe");
    ASSERT_EQ(1u, prep.size());
    EXPECT_EQ(quoted(x.f.folder.file("prep.exe")) + " " + x.system_folder(), prep[0].cmdline);
}
