// Pre-run programs and the registry-file import, with real processes: the
// stand-in program and the registry editor of the Wine prefix.
#include <gtest/gtest.h>

#include "programs.h"
#include "setup/fake_windows.h"
#include "setup/setup_folder.h"
#include "setup_config.h"
#include "setup_script.h"

using namespace vx::setup;
using vxtest::SetupFolder;

namespace {

std::string current_folder()
{
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    return cwd;
}

struct ProgramsTest : ::testing::Test {
    SetupFolder folder{"pre run"};
    vxtest::AsWindows as{vxtest::kNt4};
    void SetUp() override
    {
        reset_config();
        config().nt_family = 1;
        copy_text(config().setup_folder, folder.path());
    }
    void TearDown() override { reset_config(); }
    void script(const std::string& text)
    {
        folder.write("SETUPNT.INI", "[Setup]\r\n" + text);
        ASSERT_EQ(1, ReadSetupScript());
    }
};

} // namespace

TEST_F(ProgramsTest, WaitsOnlyForWaitFlagOneAndQuotesTheProgramPath)
{
    folder.stand_in("first.exe", 0, 600);
    folder.stand_in("second.exe", 0, 0);
    script("[PreRun Programs]\r\nfirst.exe=%1%, alpha  \"b,c\" ,1\r\nsecond.exe=\"" + folder.path() + "\"\r\n");
    RunPreRunPrograms();

    auto first = folder.runs("first.exe");
    ASSERT_EQ(1u, first.size());
    EXPECT_EQ("\"" + folder.file("first.exe") + "\" alpha  b,c ", first[0].cmdline);
    EXPECT_EQ(current_folder(), first[0].cwd);
    EXPECT_NE(0u, first[0].end) << "not waited for";
    ASSERT_TRUE(vxtest::eventually([&] { return folder.runs("second.exe").size() == 1; }));
    auto second = folder.runs("second.exe");
    EXPECT_EQ("\"" + folder.file("second.exe") + "\" ", second[0].cmdline); // empty parameters: ends in the blank
    EXPECT_GE(second[0].start, first[0].end);
}

TEST_F(ProgramsTest, OtherWaitFlagsDoNotWaitAndFieldsAreClearedPerEntry)
{
    // A program that was not waited for is still running when the next one
    // starts. b.exe has no third field: the "1" of a.exe must not carry over.
    for (const char* name : {"a.exe", "b.exe", "c.exe", "d.exe"})
        folder.stand_in(name, 0, 1500);
    script("[PreRun Programs]\r\na.exe=%1%,p,1\r\nb.exe=%1%\r\nc.exe=%1%,,0\r\nmissing.exe=%1%,,1\r\n"
           "d.exe=%1%,x,yes\r\n");
    RunPreRunPrograms();
    std::vector<vxtest::StandInRun> runs;
    ASSERT_TRUE(vxtest::eventually([&] {
        runs.clear();
        for (const char* name : {"a.exe", "b.exe", "c.exe", "d.exe"}) {
            auto r = folder.runs(name);
            if (r.size() != 1 || !r[0].end)
                return false;
            runs.push_back(r[0]);
        }
        return true;
    }));
    EXPECT_GE(runs[1].start, runs[0].end) << "wait flag 1";
    EXPECT_LT(runs[2].start, runs[1].end) << "no wait flag";
    EXPECT_LT(runs[3].start, runs[2].end) << "wait flag 0";
    EXPECT_EQ("\"" + folder.file("b.exe") + "\" ", runs[1].cmdline);
    EXPECT_EQ("\"" + folder.file("d.exe") + "\" x", runs[3].cmdline);
}

TEST_F(ProgramsTest, EmptyOrMissingSectionStartsNothing)
{
    // A program started here would still be sleeping when the snapshot is taken.
    folder.stand_in("a.exe", 0, 5000);
    script("[PreRun Programs]\r\n");
    RunPreRunPrograms();
    script("x86kbd=a.exe\r\n");
    RunPreRunPrograms();
    EXPECT_EQ(0u, vxtest::running_children("a.exe"));
}

namespace {

const std::string kTestKey = "Software\\VxSetupTests\\RegistryFiles";

std::string reg_file(const std::string& value_name, const std::string& value)
{
    return "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + kTestKey + "]\r\n\"" + value_name + "\"=\"" + value + "\"\r\n";
}

struct RegistryFilesTest : ProgramsTest {
    std::string saved_cwd = current_folder();
    void SetUp() override
    {
        ProgramsTest::SetUp();
        vxtest::delete_registry_tree(HKEY_CURRENT_USER, kTestKey);
    }
    void TearDown() override
    {
        SetCurrentDirectoryA(saved_cwd.c_str());
        vxtest::delete_registry_tree(HKEY_CURRENT_USER, kTestKey);
        ProgramsTest::TearDown();
    }
    bool imported(const std::string& name)
    {
        return vxtest::eventually([&] { return !vxtest::read_registry_string(HKEY_CURRENT_USER, kTestKey, name).empty(); });
    }
};

} // namespace

TEST_F(RegistryFilesTest, ImportsExistingFilesWithBlanksAndSkipsTheRest)
{
    folder.write("keys one.reg", reg_file("One", "1"));
    folder.write("keys.reg", reg_file("Doubled", "yes"));
    folder.write("two.reg", reg_file("Two", "2"));
    script("[Add Registry Files]\r\na=keys one.reg,ignored\r\nb=%1%\\keys.reg\r\nc=missing.reg\r\nd=\"two.reg\"\r\n"
           "e=keys one.reg\r\n");
    AddRegistryFiles();
    EXPECT_TRUE(imported("One"));
    EXPECT_TRUE(imported("Two"));
    // Once every editor started here has ended, nothing more can arrive.
    EXPECT_TRUE(vxtest::eventually([] { return vxtest::running_children("regedit.exe") == 0; }));
    // %1%\keys.reg puts the setup folder in front twice: no such file.
    EXPECT_EQ("", vxtest::read_registry_string(HKEY_CURRENT_USER, kTestKey, "Doubled"));
}

TEST_F(RegistryFilesTest, PlantedRegeditBesideSetupIsNeverStarted)
{
    // A regedit.exe in the current folder (a download folder, say) must not
    // run in place of the Windows registry editor.
    folder.stand_in("regedit.exe");
    SetCurrentDirectoryA(folder.path().c_str());
    folder.write("keys.reg", reg_file("Real", "yes"));
    script("[Add Registry Files]\r\na=keys.reg\r\n");
    AddRegistryFiles();
    EXPECT_TRUE(imported("Real"));
    EXPECT_TRUE(folder.runs("regedit.exe").empty());
    EXPECT_EQ("\"C:\\windows\\regedit.exe\" /S \"D:\\my setup\\keys.reg\"",
              registry_import_command("C:\\windows", "D:\\my setup\\keys.reg"));
}

TEST_F(RegistryFilesTest, PathsBeyondMaxPathStopTheStepWithTheLongPathFailure)
{
    // Pre-run programs: those before the long path ran, none after it.
    folder.stand_in("a.exe");
    folder.stand_in("c.exe", 0, 5000);
    const std::string deep = "%1%\\" + std::string(kTextCapacity - folder.path().size() - 7, 'd');
    script("[PreRun Programs]\r\na.exe=%1%,,1\r\nb.exe=" + deep + "\r\nc.exe=%1%\r\n");
    RunFailure failure = RunPreRunPrograms();
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE), failure.code);
    EXPECT_EQ(kStringPathTooLong, failure.text_id);
    EXPECT_EQ(kTextCapacity, failure.subject.size()); // the whole path is named
    EXPECT_EQ(1u, folder.runs("a.exe").size());
    EXPECT_EQ(0u, vxtest::running_children("c.exe"));
    // Registry files: none is imported when one path does not fit.
    folder.write("keys.reg", reg_file("Early", "yes"));
    script("[Add Registry Files]\r\n1=keys.reg\r\n2=" + std::string(kTextCapacity - folder.path().size() - 1, 'r') +
           "\r\n");
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE), AddRegistryFiles().code);
    EXPECT_EQ(0u, vxtest::running_children("regedit.exe"));
}

TEST(ChainedPrograms, ExitCodeOfAProcessIsReadAfterItEnds)
{
    SetupFolder folder("exit");
    for (DWORD code : {0u, 300u, 3010u, 259u}) {
        // A program of its own per code: a file just used by an ended
        // process may still be held for a moment under load.
        const std::string name = "x" + std::to_string(code) + ".exe";
        folder.stand_in(name, code, 50);
        HANDLE process = start_program("\"" + folder.file(name) + "\"", folder.path().c_str());
        ASSERT_NE(nullptr, process);
        EXPECT_EQ(code, wait_for_exit_code(process)) << "259 is STILL_ACTIVE and must not make the wait spin";
    }
    EXPECT_EQ(nullptr, start_program("\"" + folder.file("nothing.exe") + "\"", folder.path().c_str()));
    EXPECT_EQ(0u, wait_for_exit_code(nullptr));
}
