// Setup folders made by the tests: a fresh folder with script files, copies
// of the built programs and the records of the stand-in program.
#pragma once
#include <windows.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace vxtest {

// One start of the stand-in program, as it recorded it.
struct StandInRun {
    std::string cmdline;
    std::string cwd;
    std::string env; // the variable its Env setting names
    unsigned long long start = 0;
    unsigned long long end = 0; // 0 while it still runs
};

// The launcher users run, the x64 registry helper (Zondrel.exe in a package)
// and the stand-in, as full paths: by default from this test program's build;
// VX_SETUP_LAUNCHER, VX_SETUP_HELPER and VX_SETUP_STAND_IN name other builds
// (dist/x86/setup.exe with dist/x86/Zondrel.exe, say).
struct SetupPrograms {
    std::string launcher, helper, stand_in;
};
SetupPrograms built_programs();

// Files are made through the wide functions with the \\?\ prefix, so a
// folder may be longer than MAX_PATH or hold letters outside the ANSI code page.
class SetupFolder {
public:
    // A new empty folder under the temporary folder; name_hint may hold
    // blanks, and (in UTF-16) letters outside the ANSI code page.
    explicit SetupFolder(const std::string& name_hint, SetupPrograms programs = built_programs());
    explicit SetupFolder(const std::wstring& name_hint, SetupPrograms programs = built_programs());
    ~SetupFolder();
    SetupFolder(const SetupFolder&) = delete;
    SetupFolder& operator=(const SetupFolder&) = delete;

    // Moves into new subfolders until the full path has length characters.
    void nest_to(std::size_t length);
    // Starts a program of the folder (a file name) with args, in the folder,
    // by its full wide path (its short form beyond MAX_PATH); the process
    // handle, or null.
    HANDLE start(const std::string& name, const std::string& args) const;

    // The folder as ANSI functions name it: the path itself, or its short
    // form when the path has letters outside the ANSI code page.
    const std::string& path() const { return path_; }
    const std::wstring& wide_path() const { return wide_; }
    const SetupPrograms& programs() const { return programs_; }
    std::string file(const std::string& name) const { return path_ + "\\" + name; }

    void write(const std::string& name, const std::string& text) const;
    // Copies a program (a full path, e.g. programs().launcher) in as as_name.
    void install(const std::string& program, const std::string& as_name) const;
    // A copy of the stand-in named name (e.g. "kbd.exe") with its settings;
    // more_settings are further lines of its [stand_in] section.
    void stand_in(const std::string& name, DWORD exit_code = 0, DWORD sleep_ms = 0,
                  const std::string& more_settings = "") const;
    // Records of the stand-in copy name, in start order.
    std::vector<StandInRun> runs(const std::string& name) const;

private:
    std::wstring root_, wide_;
    std::string path_;
    SetupPrograms programs_;
    std::wstring wide_file(const std::string& name) const;
};

std::string read_text(const std::string& path);
std::string read_text(const std::wstring& path);

// Polls until done() holds or the time runs out; returns done().
bool eventually(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(10));

// Processes with this file name (case-insensitive) that this process started
// and that have not ended yet.
std::size_t running_children(const std::string& exe_name);

// Starts a program (its path quoted, then args) in folder; returns its
// process handle or null.
HANDLE launch(const std::string& program, const std::string& args, const std::string& folder);
// Waits up to limit; the exit code, or ~0u when it did not end in time (then
// the process is terminated).
DWORD finish(HANDLE process, DWORD limit_ms = 30000);

// Registry helpers for the tests' own keys under HKEY_CURRENT_USER.
std::string read_registry_string(HKEY root, const std::string& key, const std::string& name);
void delete_registry_tree(HKEY root, const std::string& key);
void set_registry_string(HKEY root, const std::string& key, const std::string& name, const std::string& value);

// Runs the program under Wine as the given Windows version (AppDefaults).
class EmulatedVersion {
public:
    EmulatedVersion(const std::string& exe_name, const std::string& version);
    ~EmulatedVersion();

private:
    std::string key_;
};

} // namespace vxtest
