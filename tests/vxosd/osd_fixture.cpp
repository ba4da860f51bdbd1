#include "osd_fixture.h"

#include "vxosd.h"
#include "vxutil.h"

namespace osdtest {
namespace {

std::vector<std::string>& captured()
{
    static std::vector<std::string> lines;
    return lines;
}

void WINAPI capture(LPCSTR text) { captured().emplace_back(text ? text : ""); }

} // namespace

const char* profile_root()
{
    static const std::string root = "Software\\VXKeyboardTest\\OSD" + std::to_string(GetCurrentProcessId());
    return root.c_str();
}

const char* user_section()
{
    static const std::string section = std::string(profile_root()) + "\\users\\" + kUser + "\\OSD";
    return section.c_str();
}

DebugCapture::DebugCapture() : guard_(vx::osd::platform::os().OutputDebugStringA, capture) { captured().clear(); }
const std::vector<std::string>& DebugCapture::lines() const { return captured(); }
bool DebugCapture::saw(const std::string& text) const
{
    for (const auto& line : captured())
        if (line == text)
            return true;
    return false;
}
void DebugCapture::clear() { captured().clear(); }

int screen_dpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}
int px(int logical) { return static_cast<int>(static_cast<long long>(logical) * screen_dpi() / 96); }
RECT px(const RECT& r) { return RECT{px(r.left), px(r.top), px(r.right), px(r.bottom)}; }
int logical(int physical) { return static_cast<int>(static_cast<long long>(physical) * 96 / screen_dpi()); }
int logical_cx() { return logical(GetSystemMetrics(SM_CXSCREEN)); }
int logical_cy() { return logical(GetSystemMetrics(SM_CYSCREEN)); }

void pump(DWORD ms)
{
    const DWORD start = GetTickCount();
    MSG msg;
    for (;;) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
    }
}

void clear_profile()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, profile_root());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, profile_root());
}

void set_number(const char* name, int value)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, user_section(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &key, nullptr));
    DWORD v = static_cast<DWORD>(value);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), sizeof v);
    RegCloseKey(key);
}

void delete_value(const char* name) { RegDeleteKeyValueA(HKEY_CURRENT_USER, user_section(), name); }

bool read_number(const char* name, int& value)
{
    DWORD v = 0, size = sizeof v, type = 0;
    if (RegGetValueA(HKEY_CURRENT_USER, user_section(), name, RRF_RT_ANY, &type, &v, &size) != ERROR_SUCCESS)
        return false;
    value = static_cast<int>(v);
    return true;
}

HWND find_own_window(const char* cls, const char* title)
{
    HWND w = nullptr;
    while ((w = FindWindowExA(nullptr, w, cls, title)) != nullptr) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == GetCurrentProcessId())
            return w;
    }
    return nullptr;
}

HRGN display_region()
{
    HWND w = vx::osd::state().display;
    if (!w)
        return nullptr;
    HRGN r = CreateRectRgn(0, 0, 0, 0);
    if (GetWindowRgn(w, r) == ERROR) {
        DeleteObject(r);
        return nullptr;
    }
    return r;
}

long long region_area(HRGN region)
{
    const DWORD size = GetRegionData(region, 0, nullptr);
    std::vector<BYTE> buffer(size);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    if (!size || !GetRegionData(region, size, data))
        return -1;
    const RECT* rects = reinterpret_cast<const RECT*>(data->Buffer);
    long long total = 0;
    for (DWORD i = 0; i < data->rdh.nCount; ++i)
        total += static_cast<long long>(rects[i].right - rects[i].left) * (rects[i].bottom - rects[i].top);
    return total;
}

void OsdTest::SetUp()
{
    clear_profile();
    Reg_InitProfile(profile_root(), kUser);
    vx::osd::state().show_string_calls = 0;
    ASSERT_EQ(1, OSD_Init());
    ASSERT_EQ(1, OSD_InitLockKey());
}

void OsdTest::TearDown()
{
    OSD_Destroy();
    pump(0);
    // A fresh record for the next test (the process keeps its classes).
    vx::osd::OsdState& s = vx::osd::state();
    s = vx::osd::OsdState{};
    clear_profile();
}

void OsdTest::reload() { OSD_LoadSettings(); }

} // namespace osdtest
