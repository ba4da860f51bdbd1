// stand_in.exe: a program that stands in for the installers and helpers
// setup starts, for tests and the demo. It records how it was started,
// can take its time, and ends with a chosen exit code.
//
// Behaviour comes from words anywhere in its command line, and for words
// missing there from the file <name>.ini beside the program (<name> is the
// program's own file name without extension, so copies named kbd.exe and
// mou.exe behave differently), section [stand_in]:
//
//   exit=N      exit code, decimal (key ExitCode; default 0)
//   sleep=MS    milliseconds to wait before ending (key SleepMs; default 0)
//   log=PATH    file the record is appended to (key Log; default <name>.log
//               beside the program)
//
// Record appended for every run (lines, CR LF):
//
//   [run]
//   cmdline=<the whole command line as GetCommandLineA gives it>
//   cwd=<the current folder>
//   start=<milliseconds since 1601-01-01 UTC when it started>
//   end=<the same when it ends, after the sleep>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

unsigned long long now_ms()
{
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    ULARGE_INTEGER t;
    t.LowPart = ft.dwLowDateTime;
    t.HighPart = ft.dwHighDateTime;
    return t.QuadPart / 10000;
}

// The value of word "name=value" in the command line, if present.
bool word_value(const std::string& line, const std::string& name, std::string& value)
{
    const std::string key = name + "=";
    std::size_t at = 0;
    while ((at = line.find(key, at)) != std::string::npos) {
        if (at == 0 || line[at - 1] == ' ' || line[at - 1] == '"' || line[at - 1] == '\t') {
            std::size_t start = at + key.size();
            std::size_t stop = line.find_first_of(" \t\"", start);
            value = line.substr(start, stop == std::string::npos ? std::string::npos : stop - start);
            return true;
        }
        at += key.size();
    }
    return false;
}

void append(const std::string& path, const std::string& text)
{
    HANDLE f = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(f);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const unsigned long long start = now_ms();
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH - 1);
    std::string base(module);
    const std::size_t dot = base.find_last_of('.');
    if (dot != std::string::npos && dot > base.find_last_of('\\'))
        base.resize(dot);
    const std::string ini = base + ".ini";

    const std::string line = GetCommandLineA();
    std::string exit_text, sleep_text, log;
    char buffer[MAX_PATH] = {};
    if (!word_value(line, "exit", exit_text)) {
        GetPrivateProfileStringA("stand_in", "ExitCode", "0", buffer, sizeof buffer, ini.c_str());
        exit_text = buffer;
    }
    if (!word_value(line, "sleep", sleep_text)) {
        GetPrivateProfileStringA("stand_in", "SleepMs", "0", buffer, sizeof buffer, ini.c_str());
        sleep_text = buffer;
    }
    if (!word_value(line, "log", log)) {
        GetPrivateProfileStringA("stand_in", "Log", "", buffer, sizeof buffer, ini.c_str());
        log = buffer[0] ? std::string(buffer) : base + ".log";
    }
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);

    append(log, "[run]\r\ncmdline=" + line + "\r\ncwd=" + cwd + "\r\nstart=" + std::to_string(start) + "\r\n");
    const unsigned long sleep_ms = std::strtoul(sleep_text.c_str(), nullptr, 10);
    if (sleep_ms)
        Sleep(sleep_ms);
    append(log, "end=" + std::to_string(now_ms()) + "\r\n");
    return static_cast<int>(std::strtoul(exit_text.c_str(), nullptr, 10));
}
