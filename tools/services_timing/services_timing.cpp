// Per-call cost of the services the key handlers use on every key event:
// profile reads and writes (registry round trips), version tests and the
// command-line split. Prints microseconds per call.
//   scripts/wine-run --prefix <build>/wineprefix -- <build>/bin/services_timing.exe
#include <windows.h>

#include <cstdio>

#include "vxutil.h"

namespace {

constexpr int kCalls = 20000;
constexpr char kRoot[] = "Software\\VXServicesTiming";

double seconds()
{
    LARGE_INTEGER frequency, count;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <class Fn>
double microseconds_per_call(Fn fn)
{
    for (int i = 0; i < kCalls / 10; ++i)
        fn();
    const double start = seconds();
    for (int i = 0; i < kCalls; ++i)
        fn();
    return (seconds() - start) / kCalls * 1e6;
}

} // namespace

int main()
{
    Reg_InitProfile(kRoot, "timing");
    Reg_SetProfileNumber("OSD", "Time", 5);
    int value = 0;
    char program[MAX_PATH], arguments[MAX_PATH];
    std::printf("Reg_GetProfileNumber, user value:      %8.2f us\n",
                microseconds_per_call([&] { Reg_GetProfileNumber("OSD", "Time", &value, 0); }));
    std::printf("Reg_GetProfileNumber, missing:         %8.2f us\n",
                microseconds_per_call([&] { Reg_GetProfileNumber("OSD", "Missing", &value, 0); }));
    std::printf("Reg_SetProfileNumber, unchanged:       %8.2f us\n",
                microseconds_per_call([&] { Reg_SetProfileNumber("OSD", "Time", 5); }));
    std::printf("IsWin7above:                           %8.3f us\n", microseconds_per_call([] { IsWin7above(); }));
    std::printf("ParseShellCommand:                     %8.3f us\n", microseconds_per_call([&] {
                    ParseShellCommand("C:\\Program Files\\App\\app.exe /play %1", program, arguments);
                }));
    RegDeleteTreeA(HKEY_CURRENT_USER, kRoot);
    return 0;
}
