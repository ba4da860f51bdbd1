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
//   broadcast=1 first send WM_SETTINGCHANGE "Environment" to every top-level
//               window with plain SendMessage, as installers do after
//               changing the environment; it returns only when every window
//               has answered (key Broadcast; default 0)
//   env=NAME    record the value of environment variable NAME (key Env;
//               default none)
//
// Record appended for every run (lines, CR LF):
//
//   [run]
//   cmdline=<the whole command line as GetCommandLineA gives it>
//   cwd=<the current folder>
//   env=<the value of the Env variable, empty when unset; only with Env>
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

std::wstring widen(const std::string& text)
{
    std::wstring out(text.size(), L'\0');
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                      static_cast<int>(out.size()));
    out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return out;
}

// The option from the command line word, else from the .ini key. The .ini
// is named in UTF-16: the program's folder may have letters outside the
// ANSI code page.
std::string option(const std::string& line, const char* word, const char* key, const char* fallback,
                   const std::wstring& ini)
{
    std::string value;
    if (word_value(line, word, value))
        return value;
    wchar_t buffer[MAX_PATH] = {};
    GetPrivateProfileStringW(L"stand_in", widen(key).c_str(), widen(fallback).c_str(), buffer, MAX_PATH, ini.c_str());
    char text[MAX_PATH * 2] = {};
    WideCharToMultiByte(CP_ACP, 0, buffer, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

void append(const std::wstring& path, const std::string& text)
{
    HANDLE f = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
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
    std::wstring base(32768, L'\0');
    base.resize(GetModuleFileNameW(nullptr, base.data(), static_cast<DWORD>(base.size())));
    const std::size_t dot = base.find_last_of(L'.');
    if (dot != std::wstring::npos && dot > base.find_last_of(L'\\'))
        base.resize(dot);
    const std::wstring ini = base + L".ini";

    const std::string line = GetCommandLineA();
    const std::string exit_text = option(line, "exit", "ExitCode", "0", ini);
    const std::string sleep_text = option(line, "sleep", "SleepMs", "0", ini);
    const std::string log_option = option(line, "log", "Log", "", ini);
    const std::wstring log = log_option.empty() ? base + L".log" : widen(log_option);
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);

    std::string record = "[run]\r\ncmdline=" + line + "\r\ncwd=" + cwd + "\r\n";
    const std::string variable = option(line, "env", "Env", "", ini);
    if (!variable.empty()) {
        char value[MAX_PATH] = {};
        const DWORD n = GetEnvironmentVariableA(variable.c_str(), value, MAX_PATH);
        record += "env=" + std::string(value, n < MAX_PATH ? n : 0) + "\r\n";
    }
    append(log, record + "start=" + std::to_string(start) + "\r\n");
    if (option(line, "broadcast", "Broadcast", "0", ini) == "1")
        SendMessageA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("Environment"));
    const unsigned long sleep_ms = std::strtoul(sleep_text.c_str(), nullptr, 10);
    if (sleep_ms)
        Sleep(sleep_ms);
    append(log, "end=" + std::to_string(now_ms()) + "\r\n");
    return static_cast<int>(std::strtoul(exit_text.c_str(), nullptr, 10));
}
