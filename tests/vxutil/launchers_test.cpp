// Launchers against registry entries the tests write, with the stand-in
// program in place of mail clients, help and Word; key chords through the
// input seam.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <objbase.h>
#include <tlhelp32.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "buttons/launch/launchers.h"
#include "platform/input_seam.h"
#include "platform/seam.h"
#include "services/com_scope.h"
#include "support/pe_exports.h"
#include "vxutil.h"
#include "vxutil/fake_version.h"
#include "vxutil/test_folder.h"
#include "vxutil/test_windows.h"

using vxtest::FakeVersion;
using vxtest::stand_in_path;
using vxtest::TempFolder;

namespace {

// A registry value set for the scope; the old value (or its absence) comes
// back afterwards. Keys the object created are left empty, not removed.
class RegistryValue {
public:
    RegistryValue(HKEY hive, std::string path, const char* name, const char* value)
        : hive_(hive), path_(std::move(path)), name_(name ? name : "")
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(hive_, path_.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
            std::vector<BYTE> data(4096);
            DWORD size = static_cast<DWORD>(data.size());
            if (RegQueryValueExA(key, name_.c_str(), nullptr, &type_, data.data(), &size) == ERROR_SUCCESS) {
                data.resize(size);
                old_ = data;
                had_ = true;
            }
            RegCloseKey(key);
        }
        if (value) {
            RegCreateKeyExA(hive_, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
            RegSetValueExA(key, name_.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                           static_cast<DWORD>(strlen(value) + 1));
            RegCloseKey(key);
        } else if (had_ && RegOpenKeyExA(hive_, path_.c_str(), 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, name_.c_str());
            RegCloseKey(key);
        }
    }
    ~RegistryValue()
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(hive_, path_.c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS)
            return;
        if (had_)
            RegSetValueExA(key, name_.c_str(), 0, type_, old_.data(), static_cast<DWORD>(old_.size()));
        else
            RegDeleteValueA(key, name_.c_str());
        RegCloseKey(key);
    }
    RegistryValue(const RegistryValue&) = delete;
    RegistryValue& operator=(const RegistryValue&) = delete;

private:
    HKEY hive_;
    std::string path_, name_;
    bool had_ = false;
    DWORD type_ = 0;
    std::vector<BYTE> old_;
};

std::vector<DWORD> my_children()
{
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID == GetCurrentProcessId())
            ids.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return ids;
}

bool running(DWORD id)
{
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    if (!process)
        return false;
    const bool alive = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return alive;
}

// Every launcher test records the stand-in's command lines in its own log
// and ends whatever the launchers started.
struct LauncherTest : ::testing::Test {
    TempFolder folder{"launch"};
    std::string log = folder / "commands.log";

    void SetUp() override
    {
        vx::launchers::reset_for_tests();
        SetEnvironmentVariableA("VX_STAND_IN_LOG", log.c_str());
    }
    void TearDown() override
    {
        SetEnvironmentVariableA("VX_STAND_IN_LOG", nullptr);
        SetEnvironmentVariableA("VX_STAND_IN_MODE", nullptr);
        vxtest::end_processes(my_children());
        vx::launchers::reset_for_tests();
    }
    // "<pid> <command line>" per started stand-in.
    std::vector<std::string> started() const
    {
        std::vector<std::string> lines;
        std::ifstream in(log);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    // The log once it has `count` lines, waiting up to 5 s for programs
    // started without waiting.
    std::vector<std::string> started_after(std::size_t count) const
    {
        auto lines = started();
        for (int i = 0; i < 100 && lines.size() < count; ++i) {
            Sleep(50);
            lines = started();
        }
        return lines;
    }
    std::string quoted_stand_in() const
    {
        std::string quoted(1, '"');
        quoted.append(stand_in_path()).push_back('"');
        return quoted;
    }
};

constexpr char kMail[] = "Software\\Clients\\Mail";

TEST_F(LauncherTest, SecondMailPressBringsTheRememberedClientForward)
{
    const std::string client = std::string(kMail) + "\\VX Test Mail";
    RegistryValue command(HKEY_LOCAL_MACHINE, client + "\\Shell\\Open\\Command", nullptr,
                          (quoted_stand_in() + " /compose").c_str());
    ASSERT_EQ(1, LaunchMailClient("VX Test Mail"));
    auto lines = started();
    ASSERT_EQ(1u, lines.size());
    EXPECT_NE(std::string::npos, lines[0].find("/compose"));
    const DWORD first = std::stoul(lines[0]);
    EXPECT_TRUE(running(first));

    ASSERT_EQ(1, LaunchMailClient("VX Test Mail"));
    EXPECT_EQ(1u, started().size()) << "only brought forward";

    vxtest::end_processes({first});
    ASSERT_EQ(1, LaunchMailClient("VX Test Mail"));
    EXPECT_EQ(2u, started().size()) << "the closed client starts again";
}

TEST_F(LauncherTest, MessengerWithoutCommandStartsWithMailSwitch)
{
    const std::string messenger = std::string(kMail) + "\\Netscape Messenger";
    RegistryValue mailto(HKEY_LOCAL_MACHINE, messenger + "\\Protocols\\mailto\\shell\\open\\command", nullptr,
                         (quoted_stand_in() + " -compose %1").c_str());
    RegistryValue other(HKEY_LOCAL_MACHINE, std::string(kMail) + "\\VX No Command\\Protocols\\mailto\\shell\\open\\command",
                        nullptr, (quoted_stand_in() + " -compose").c_str());
    EXPECT_EQ(0, LaunchMailClient("VX No Command")) << "only that client has the mailto fallback";
    EXPECT_EQ(0, LaunchMailClient("VX Not Registered"));
    EXPECT_EQ(0, LaunchMailClient(nullptr));
    ASSERT_EQ(1, LaunchMailClient("netscape messenger"));
    const auto lines = started();
    ASSERT_EQ(1u, lines.size());
    EXPECT_NE(std::string::npos, lines[0].find("-mail"));
    EXPECT_EQ(std::string::npos, lines[0].find("-compose"));
}

TEST_F(LauncherTest, DefaultMailClientNamesAndDllPath)
{
    RegistryValue dll(HKEY_LOCAL_MACHINE, std::string(kMail) + "\\VX Test Mail", "DLLPath", "C:\\mail\\mapi.dll");
    RegistryValue fallback(HKEY_LOCAL_MACHINE, kMail, nullptr, "VX Test Mail");
    char name[MAX_PATH] = "";
    ASSERT_EQ(1, GetDefaultMailClient(name, sizeof name));
    EXPECT_STREQ("VX Test Mail", name);
    char path[MAX_PATH] = "";
    ASSERT_EQ(1, GetDefaultMailClientDllPath(path, sizeof path));
    EXPECT_STREQ("C:\\mail\\mapi.dll", path);
    EXPECT_EQ(0, GetDefaultMailClient(nullptr, 10));

    bool listed = false;
    for (int i = 0; EnumMailClient(i, name, sizeof name); ++i)
        listed = listed || std::string(name) == "VX Test Mail";
    EXPECT_TRUE(listed);
    EXPECT_EQ(0, EnumMailClient(100000, name, sizeof name));
    EXPECT_STREQ("", name);
}

TEST_F(LauncherTest, ProgramWithoutWindowReportsNoProcess)
{
    SetEnvironmentVariableA("VX_STAND_IN_MODE", "none");
    int id = -1;
    ASSERT_EQ(1, LaunchProgram(stand_in_path().c_str(), "quiet", nullptr, &id));
    EXPECT_EQ(0, id);
    EXPECT_EQ(1u, started().size());

    SetEnvironmentVariableA("VX_STAND_IN_MODE", "window");
    id = 0;
    ASSERT_EQ(1, LaunchProgram(stand_in_path().c_str(), "shown", folder.path().c_str(), &id));
    ASSERT_NE(0, id);
    EXPECT_EQ(std::to_string(id), started().back().substr(0, started().back().find(' ')));
    EXPECT_FALSE(vxtest::visible_windows_of(static_cast<DWORD>(id)).empty());

    EXPECT_EQ(0, LaunchProgram((folder / "missing.exe").c_str(), nullptr, nullptr, nullptr));
    EXPECT_EQ(0, LaunchProgram(nullptr, nullptr, nullptr, nullptr));

    // An id left in the output names an older program: without a new process
    // it is neither reported nor brought in front.
    vxtest::TestWindow host("host");
    SetForegroundWindow(host.get());
    vxtest::pump_messages();
    EXPECT_EQ(0, LaunchProgram((folder / "missing.exe").c_str(), nullptr, nullptr, &id));
    EXPECT_EQ(0, id);
    Sleep(200);
    vxtest::pump_messages();
    EXPECT_EQ(host.get(), GetForegroundWindow());
}

TEST_F(LauncherTest, HungProgramInFrontDoesNotHoldTheLaunch)
{
    // A program in front that answers no message (for 20 s).
    std::string command(1, '"');
    command.append(vxtest::program_folder()).append("player_stand_in.exe\" /class:VXHungWindow /hang");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION hung{};
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &hung));
    CloseHandle(hung.hThread);
    CloseHandle(hung.hProcess);
    vxtest::TestWindow host("host"); // LaunchProgram activates a window of its own process first
    HWND window = nullptr;
    for (int i = 0; i < 100 && !(window = FindWindowA("VXHungWindow", nullptr)); ++i)
        Sleep(50);
    ASSERT_NE(nullptr, window);
    // Windows 2000 also shares input while it activates the host's window.
    for (const DWORD major : {6u, 5u}) {
        FakeVersion version(2, major, major == 6 ? 1 : 0);
        SetForegroundWindow(window);
        vxtest::pump_messages();
        ASSERT_EQ(window, GetForegroundWindow());
        int id = 0;
        const ULONGLONG start = GetTickCount64();
        ASSERT_EQ(1, LaunchProgram(stand_in_path().c_str(), nullptr, nullptr, &id));
        EXPECT_LT(GetTickCount64() - start, 5000u) << "Windows NT " << major;
        EXPECT_NE(0, id);
    }
}

TEST_F(LauncherTest, FindWindowByPathAcceptsLongAndShortPaths)
{
    vxtest::StandIn program("window");
    const HWND window = program.wait_for_window();
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(window, FindWindowByPath(stand_in_path().c_str()));
    char short_path[MAX_PATH] = "";
    ASSERT_GT(GetShortPathNameA(stand_in_path().c_str(), short_path, sizeof short_path), 0u);
    EXPECT_NE(stand_in_path(), short_path) << "the build folder has a long name";
    EXPECT_EQ(window, FindWindowByPath(short_path));
    EXPECT_EQ(nullptr, FindWindowByPath("C:\\no\\such.exe"));
}

struct SentInputs {
    std::vector<INPUT> inputs;
    int calls = 0;
};
SentInputs g_sent;

UINT WINAPI record_inputs(UINT count, LPINPUT inputs, int size)
{
    ++g_sent.calls;
    EXPECT_EQ(static_cast<int>(sizeof(INPUT)), size);
    g_sent.inputs.assign(inputs, inputs + count);
    return count;
}

TEST(SimulateKeyStroke, DownInOrderUpInReverseInOneCall)
{
    g_sent = {};
    vx::platform::SeamOverride<UINT(WINAPI*)(UINT, LPINPUT, int)> seam(vx::platform::input().SendInput,
                                                                      record_inputs);
    const WORD chord[] = {VK_CONTROL, 0, VK_MENU, 0, VK_DELETE, 1};
    EXPECT_EQ(6, SimulateKeyStroke(3, chord));
    ASSERT_EQ(1, g_sent.calls);
    ASSERT_EQ(6u, g_sent.inputs.size());
    const WORD order[] = {VK_CONTROL, VK_MENU, VK_DELETE, VK_DELETE, VK_MENU, VK_CONTROL};
    const DWORD flags[] = {0, 0, KEYEVENTF_EXTENDEDKEY, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, KEYEVENTF_KEYUP,
                           KEYEVENTF_KEYUP};
    for (int i = 0; i < 6; ++i) {
        const auto& in = g_sent.inputs[i];
        EXPECT_EQ(DWORD(INPUT_KEYBOARD), in.type);
        EXPECT_EQ(order[i], in.ki.wVk) << i;
        EXPECT_EQ(flags[i], in.ki.dwFlags) << i;
        EXPECT_EQ(MapVirtualKeyA(order[i], 0), in.ki.wScan) << i;
        EXPECT_EQ(0u, in.ki.time);
        EXPECT_EQ(0u, in.ki.dwExtraInfo);
    }
    g_sent = {};
    EXPECT_EQ(0, SimulateKeyStroke(0, chord));
    EXPECT_EQ(0, SimulateKeyStroke(2, nullptr));
    EXPECT_EQ(0, SimulateKeyStroke(-1, chord));
    EXPECT_EQ(0, g_sent.calls);
}

TEST(LaunchDisplaySwitch, WindowsEightSendsWinP)
{
    g_sent = {};
    vx::platform::SeamOverride<UINT(WINAPI*)(UINT, LPINPUT, int)> seam(vx::platform::input().SendInput,
                                                                      record_inputs);
    {
        FakeVersion win8(2, 6, 2);
        EXPECT_EQ(1, LaunchDisplaySwitch());
        ASSERT_EQ(4u, g_sent.inputs.size());
        EXPECT_EQ(VK_LWIN, g_sent.inputs[0].ki.wVk);
        EXPECT_EQ('P', g_sent.inputs[1].ki.wVk);
        EXPECT_EQ(DWORD(KEYEVENTF_KEYUP), g_sent.inputs[3].ki.dwFlags);
    }
    g_sent = {};
    FakeVersion win7(2, 6, 1);
    EXPECT_EQ(0, LaunchDisplaySwitch()) << "no DisplaySwitch.exe to start here";
    EXPECT_EQ(0, g_sent.calls);
}

TEST_F(LauncherTest, HomePageFromUserThenMachine)
{
    constexpr char kMain[] = "Software\\Microsoft\\Internet Explorer\\Main";
    {
        RegistryValue user(HKEY_CURRENT_USER, kMain, "Start Page", nullptr);
        RegistryValue machine(HKEY_LOCAL_MACHINE, kMain, "Start Page", nullptr);
        char url[MAX_PATH] = "x";
        EXPECT_EQ(0, GetWebHomePage(url, sizeof url));
        EXPECT_STREQ("", url);
        EXPECT_EQ(0, OpenWWWHomePage()) << "no home page set";
        EXPECT_TRUE(started().empty());
    }
    RegistryValue machine(HKEY_LOCAL_MACHINE, kMain, "Start Page", "http://machine.example/");
    RegistryValue user(HKEY_CURRENT_USER, kMain, "Start Page", stand_in_path().c_str());
    char url[MAX_PATH];
    ASSERT_EQ(1, GetWebHomePage(url, sizeof url));
    EXPECT_EQ(stand_in_path(), url);
    EXPECT_EQ(1, OpenWWWHomePage());
    EXPECT_EQ(1u, started_after(1).size());
}

TEST_F(LauncherTest, SystemHelpPerWindowsVersion)
{
    constexpr char kHelpCenter[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\HELPCTR.EXE";
    {
        RegistryValue helpctr(HKEY_LOCAL_MACHINE, kHelpCenter, nullptr, stand_in_path().c_str());
        FakeVersion me(1, 4, 90);
        EXPECT_EQ(1, LaunchSystemHelp());
        EXPECT_EQ(1u, started_after(1).size());
    }
    FakeVersion seven(2, 6, 1);
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    if (FileExisted((std::string(system) + "\\Windows.hlp").c_str()))
        GTEST_SKIP() << "this prefix has a Windows.hlp";
    EXPECT_EQ(0, LaunchSystemHelp());
}

TEST_F(LauncherTest, WordStartsFromItsAppPathsFolder)
{
    constexpr char kWord[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Winword.exe";
    {
        RegistryValue none(HKEY_LOCAL_MACHINE, kWord, "Path", nullptr);
        EXPECT_EQ(0, LaunchWord());
    }
    TempFolder office("office");
    ASSERT_TRUE(CopyFileA(stand_in_path().c_str(), (office / "Winword.exe").c_str(), FALSE));
    RegistryValue path(HKEY_LOCAL_MACHINE, kWord, "Path", office.path().c_str());
    EXPECT_EQ(1, LaunchWord());
    const auto lines = started_after(1);
    ASSERT_EQ(1u, lines.size());
    EXPECT_NE(std::string::npos, lines[0].find("Winword.exe"));
    vxtest::end_processes(my_children());
}

TEST_F(LauncherTest, SystemInfoRestoresAnOpenHelpCenterWindow)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "PCHShell Window";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, "PCHShell Window", "Help", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(window));
    EXPECT_EQ(1, LaunchSystemInfo());
    EXPECT_FALSE(IsIconic(window));
    EXPECT_TRUE(my_children().empty()) << "nothing started";
    DestroyWindow(window);
    UnregisterClassA("PCHShell Window", wc.hInstance);
}

// The system folder a 64-bit program sees: a 32-bit test program on 64-bit
// Windows reaches it as "Sysnative".
std::string native_system_folder()
{
    char folder[MAX_PATH];
    BOOL wow64 = FALSE;
    if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64) {
        GetSystemWindowsDirectoryA(folder, sizeof folder);
        return std::string(folder) + "\\Sysnative";
    }
    GetSystemDirectoryA(folder, sizeof folder);
    return folder;
}

TEST_F(LauncherTest, CalculatorReportsSuccessEvenWhenItCannotStart)
{
    // The system's calculator (the 64-bit one on 64-bit Windows), held open
    // without sharing, cannot be started (and where the system has none,
    // there is nothing to start).
    const std::string calculator = native_system_folder() + "\\calc.exe";
    const HANDLE held = CreateFileA(calculator.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(1, LaunchCalculator());
    EXPECT_TRUE(my_children().empty()) << "the calculator started after all";
    if (held != INVALID_HANDLE_VALUE)
        CloseHandle(held);
}

// Counts the times the thread that registers it enters an apartment (a
// CoInitializeEx that returns S_OK; S_FALSE leaves the thread as it was).
struct ApartmentEntries : IInitializeSpy {
    int count = 0;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = iid == IID_IUnknown || iid == IID_IInitializeSpy ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE PreInitialize(DWORD, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostInitialize(HRESULT hr, DWORD, DWORD) override
    {
        count += hr == S_OK;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE PreUninitialize(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostUninitialize(DWORD) override { return S_OK; }
};

// Whether the calling thread may still enter a single-threaded apartment:
// S_OK with no COM, S_FALSE in an STA.
HRESULT sta_probe()
{
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(hr))
        CoUninitialize();
    return hr;
}

// The shell calls do their work without putting the host's thread in an
// apartment, even for the length of a call, whether it has no COM or is in
// an STA, and leave it as it was. A thread of the library's that sends to the
// host's windows meanwhile is answered, and its last error comes back.
TEST_F(LauncherTest, ShellCallsNeverInitialiseTheHostsThread)
{
    const std::string link = folder / "Stand-in.lnk";
    for (const DWORD apartment : {0ul, static_cast<unsigned long>(COINIT_APARTMENTTHREADED)}) {
        std::thread([&] {
            const bool host_com = apartment && SUCCEEDED(CoInitializeEx(nullptr, apartment));
            const HRESULT as_found = sta_probe();
            ApartmentEntries entries;
            ULARGE_INTEGER spy{};
            ASSERT_EQ(S_OK, CoRegisterInitializeSpy(&entries, &spy));
            EXPECT_EQ(S_OK, CreateShortcut(stand_in_path().c_str(), "-x", 0, link.c_str()));
            char target[MAX_PATH] = "", arguments[MAX_PATH] = "", description[MAX_PATH] = "";
            EXPECT_EQ(S_OK, GetLinkInfoEx(nullptr, link.c_str(), target, arguments, description));
            EXPECT_EQ(0, lstrcmpiA(stand_in_path().c_str(), target)) << target;
            EXPECT_STREQ("-x", arguments);
            SetEnvironmentVariableA("VX_STAND_IN_MODE", "none");
            EXPECT_EQ(1, LaunchProgram(stand_in_path().c_str(), "quiet", nullptr, nullptr));

            const HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
            DWORD body_thread = 0;
            EXPECT_TRUE(vx::with_com([&] {
                body_thread = GetCurrentThreadId();
                const BOOL sent = SetWindowTextA(window, "sent"); // WM_SETTEXT to the host's thread
                SetLastError(ERROR_BUSY);
                return sent;
            }));
            EXPECT_EQ(static_cast<DWORD>(ERROR_BUSY), GetLastError());
            EXPECT_EQ(apartment != 0, body_thread == GetCurrentThreadId()) << "apartment " << apartment;
            DestroyWindow(window);

            CoRevokeInitializeSpy(spy);
            EXPECT_EQ(0, entries.count) << "apartment " << apartment;
            EXPECT_EQ(as_found, sta_probe()) << "apartment " << apartment;
            if (host_com)
                CoUninitialize();
        }).join();
    }
    EXPECT_EQ(2u, started_after(2).size());
}

} // namespace

TEST_F(LauncherTest, ProgramsNamedLikeSystemOnesInTheCurrentFolderNeverStart)
{
    TempFolder trap("planted");
    for (const char* name : {"calc.exe", "msinfo32.exe", "DisplaySwitch.exe"})
        ASSERT_TRUE(CopyFileA(stand_in_path().c_str(), (trap / name).c_str(), FALSE));
    char saved[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, saved);
    SetCurrentDirectoryA(trap.path().c_str());
    FakeVersion win7(2, 6, 1);
    EXPECT_EQ(1, LaunchCalculator());
    EXPECT_EQ(1, LaunchSystemInfo());
    LaunchDisplaySwitch();
    SetCurrentDirectoryA(saved);
    Sleep(300);
    EXPECT_TRUE(started().empty()) << started().front();
}

TEST_F(LauncherTest, DisplaySwitchBeforeWindowsEightStartsTheNativeSystemProgram)
{
    const std::string program = native_system_folder() + "\\DisplaySwitch.exe";
    if (GetFileAttributesA(program.c_str()) != INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "the system has its own DisplaySwitch.exe";
    ASSERT_TRUE(CopyFileA(stand_in_path().c_str(), program.c_str(), TRUE));
    FakeVersion win7(2, 6, 1);
    EXPECT_EQ(1, LaunchDisplaySwitch());
    const auto lines = started_after(1);
    vxtest::end_processes(my_children());
    DeleteFileA(program.c_str());
    ASSERT_EQ(1u, lines.size());
    EXPECT_NE(std::string::npos, lines[0].find("DisplaySwitch.exe"));
}

TEST_F(LauncherTest, WindowOfAProcessThatAllowsOnlyLimitedQueriesIsFoundByPath)
{
    vxtest::StandIn program("window");
    const HWND window = program.wait_for_window();
    ASSERT_NE(nullptr, window);
    // What an elevated process, or a 64-bit one seen from WOW64, allows: no
    // reading of its memory, so no module list.
    HANDLE process = OpenProcess(WRITE_DAC, FALSE, program.pid());
    ASSERT_NE(nullptr, process);
    EXPLICIT_ACCESSA allow{};
    allow.grfAccessPermissions = PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE | PROCESS_TERMINATE;
    allow.grfAccessMode = SET_ACCESS;
    allow.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
    allow.Trustee.ptstrName = const_cast<char*>("EVERYONE");
    PACL acl = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, SetEntriesInAclA(1, &allow, nullptr, &acl));
    ASSERT_EQ(ERROR_SUCCESS, SetSecurityInfo(process, SE_KERNEL_OBJECT,
                                             DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                                             nullptr, acl, nullptr));
    LocalFree(acl);
    CloseHandle(process);
    ASSERT_EQ(nullptr, OpenProcess(PROCESS_VM_READ, FALSE, program.pid()));
    EXPECT_EQ(window, FindWindowByPath(stand_in_path().c_str()));
}
