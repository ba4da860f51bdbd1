#include "setup_config.h"

#include <string_view>

#include "platform/version_seam.h"

namespace vx::setup {
namespace {

OSVERSIONINFOA version_info()
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info; // 148
    if (!platform::version().GetVersionExA(&info))
        info.dwPlatformId = 0;
    return info;
}

} // namespace

SetupConfig& config()
{
    static SetupConfig record{};
    return record;
}

void reset_config()
{
    config() = SetupConfig{};
}

bool is_nt_family() { return version_info().dwPlatformId == VER_PLATFORM_WIN32_NT; }

bool is_win9x_family() { return version_info().dwPlatformId == VER_PLATFORM_WIN32_WINDOWS; }

bool is_win98_or_later()
{
    const OSVERSIONINFOA v = version_info();
    return v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS &&
           (v.dwMajorVersion > 4 || (v.dwMajorVersion == 4 && v.dwMinorVersion > 0));
}

bool is_win_me()
{
    if (!is_win98_or_later())
        return false;
    char number[kTextCapacity] = {};
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return false;
    DWORD size = sizeof number - 1; // keep room for a terminator the value may lack
    DWORD type = 0;
    const LONG rc = RegQueryValueExA(key, "VersionNumber", nullptr, &type, reinterpret_cast<BYTE*>(number), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    number[sizeof number - 1] = '\0';
    // Digits and a dot have no case, so the case-insensitive compare is a
    // plain one (and needs no LOCALE_INVARIANT, which Windows 9x rejects).
    return std::string_view(number).substr(0, 4) == "4.90";
}

bool is_nt5_or_later()
{
    const OSVERSIONINFOA v = version_info();
    return v.dwPlatformId == VER_PLATFORM_WIN32_NT && v.dwMajorVersion >= 5;
}

bool is_64bit_windows()
{
    const platform::NativeSystemInfoFn native = platform::version().find_native_system_info();
    if (!native)
        return false;
    SYSTEM_INFO info{};
    native(&info);
    return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
}

void evaluate_os_flags(SetupConfig& record)
{
    record.nt_family = is_nt_family();
    record.nt5_or_later = is_nt5_or_later();
    record.win98_or_later = is_win98_or_later();
    record.win_me = record.win98_or_later ? is_win_me() : 0;
    record.win9x_family = is_win9x_family();
    record.win64 = is_64bit_windows();
}

std::string load_setup_string(UINT id)
{
    char text[kTextCapacity] = {};
    const int n = LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return std::string(text, n > 0 ? static_cast<std::size_t>(n) : 0);
}

} // namespace vx::setup
