#include "soak_sample.h"

#include <psapi.h>

#include <map>
#include <string>
#include <utility>

#include "vxutil.h"

namespace keyhost {
namespace {

constexpr DWORD kWatchMs = 400;
// The handle-number scans stop after this many free numbers in a row: Wine
// hands out the lowest free kernel handle and packs USER handles, so the
// used numbers lie together at the bottom of each range.
constexpr int kScanGap = 512;

// Handles the thread's messages until `done` says so or `ms` have passed;
// `seen` looks at each message first. A quit message is put back for the
// main loop.
template <typename Done, typename Seen>
void pump(DWORD ms, Done done, Seen seen)
{
    const ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            seen(msg);
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        const ULONGLONG now = GetTickCount64();
        if (done() || now >= end)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
}

bool thread_shows_a_window()
{
    bool visible = false;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM result) WINAPI -> BOOL {
            if (!IsWindowVisible(window))
                return TRUE;
            *reinterpret_cast<bool*>(result) = true;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&visible));
    return visible;
}

// "VX_OSD_WNDCLASS timer 1", or "thread timer 32767 (VXUtil.dll)" where the
// timer's procedure can be traced to a module (Wine passes a handle of its
// own instead of the address).
std::string timer_owner(const MSG& msg)
{
    char name[MAX_PATH] = "";
    if (msg.hwnd) {
        GetClassNameA(msg.hwnd, name, sizeof name);
        return std::string(name) + " timer " + std::to_string(msg.wParam);
    }
    std::string owner = "thread timer " + std::to_string(msg.wParam);
    HMODULE module = nullptr;
    if (msg.lParam &&
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(msg.lParam), &module) &&
        GetModuleFileNameA(module, name, sizeof name)) {
        const char* base = name;
        for (const char* p = name; *p; ++p)
            if (*p == '\\' || *p == '/')
                base = p + 1;
        owner += std::string(" (") + base + ")";
    }
    return owner;
}

// Timers of the thread that fire during the watch, by window and id.
void watch_timers(ResourceSample& sample)
{
    std::map<std::pair<HWND, WPARAM>, std::pair<int, std::string>> fired;
    int before = 0;
    Mixer_GetVolume(&before);
    pump(kWatchMs, [] { return false; }, [&](const MSG& msg) {
        if (msg.message != WM_TIMER)
            return;
        auto& entry = fired[{msg.hwnd, msg.wParam}];
        if (++entry.first == 1)
            entry.second = timer_owner(msg);
    });
    int after = 0;
    Mixer_GetVolume(&after);
    sample.volume_moved = after != before;
    sample.timers = static_cast<std::uint32_t>(fired.size());
    for (const auto& [key, entry] : fired)
        if (entry.first > 1 && sample.repeating.empty())
            sample.repeating = entry.second + " fired " + std::to_string(entry.first) + " times in " +
                               std::to_string(kWatchMs) + " ms";
}

// Counts the numbers in [first, ...) stepping by `step` for which `valid`
// holds, until kScanGap free numbers in a row.
template <typename Valid>
std::uint32_t scan(UINT_PTR first, UINT_PTR step, UINT_PTR limit, Valid valid)
{
    std::uint32_t count = 0;
    int gap = 0;
    for (UINT_PTR n = first; n < limit && gap < kScanGap; n += step) {
        const int hit = valid(n);
        gap = hit ? 0 : gap + 1;
        count += hit > 0 ? 1 : 0;
    }
    return count;
}

} // namespace

std::uint32_t count_kernel_handles()
{
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count)
        return count;
    // Where the count is not kept (Wine answers 0), the handle numbers that
    // name an open handle are counted.
    return scan(4, 4, 0x1000000, [](UINT_PTR n) {
        DWORD flags = 0;
        return GetHandleInformation(reinterpret_cast<HANDLE>(n), &flags) ? 1 : 0;
    });
}

namespace {

std::uint32_t gdi_objects()
{
    if (const DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS))
        return count;
    // Wine answers 0 but takes a GDI handle without its upper half by its
    // table index, so the live entries are counted over the whole table.
    std::uint32_t count = 0;
    for (UINT_PTR index = 1; index < 0x10000; ++index)
        count += GetObjectType(reinterpret_cast<HGDIOBJ>(index)) ? 1 : 0;
    return count;
}

// 1 for a USER object of this process, -1 for another process's window (a
// used number, not ours), 0 for a free number.
int user_object_of_process(UINT_PTR n)
{
    const auto window = reinterpret_cast<HWND>(n);
    if (IsWindow(window)) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        return process == GetCurrentProcessId() ? 1 : -1;
    }
    if (IsMenu(reinterpret_cast<HMENU>(n)))
        return 1;
    ICONINFO icon{};
    if (!GetIconInfo(reinterpret_cast<HICON>(n), &icon))
        return 0;
    if (icon.hbmMask)
        DeleteObject(icon.hbmMask);
    if (icon.hbmColor)
        DeleteObject(icon.hbmColor);
    return 1;
}

std::uint32_t user_objects()
{
    if (const DWORD count = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS))
        return count;
    // Wine answers 0; its USER handles without the upper half name the
    // table entry, even numbers from 0x20 on.
    return scan(0x20, 2, 0x10000, user_object_of_process);
}

struct WindowCount {
    DWORD process = GetCurrentProcessId();
    std::uint32_t count = 0;
};

BOOL CALLBACK count_window(HWND window, LPARAM context)
{
    auto& c = *reinterpret_cast<WindowCount*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == c.process)
        ++c.count;
    return TRUE;
}

// Top-level windows, their children and message-only windows of the process.
std::uint32_t process_windows()
{
    WindowCount c;
    EnumWindows(
        [](HWND window, LPARAM context) WINAPI -> BOOL {
            count_window(window, context);
            EnumChildWindows(window, count_window, context);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&c));
    for (HWND window = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
         window = FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr))
        count_window(window, reinterpret_cast<LPARAM>(&c));
    return c.count;
}

std::uint64_t private_kib()
{
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
        return 0;
    // Wine fills in the commit charge only; on Windows the two are the same.
    const SIZE_T bytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    return bytes / 1024;
}

} // namespace

ResourceSample sample_at_rest(std::uint64_t events, DWORD settle_ms)
{
    ResourceSample sample;
    sample.events = events;
    pump(settle_ms, [] { return !thread_shows_a_window(); }, [](const MSG&) {});
    watch_timers(sample);
    sample.handles = count_kernel_handles();
    sample.gdi = gdi_objects();
    sample.user = user_objects();
    sample.windows = process_windows();
    sample.private_kib = private_kib();
    return sample;
}

} // namespace keyhost
