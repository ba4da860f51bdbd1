#include "shell/autostart.h"

#include <windows.h>

#include <string>

#include "core/startup_entry.h"
#include "shell/unicode_path.h"

namespace keyhost {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kApprovedKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
constexpr wchar_t kValue[] = L"VXKeyHost";

bool same_path(std::wstring_view a, std::wstring_view b)
{
    return !a.empty() && CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                              TRUE) == CSTR_EQUAL;
}

LONG delete_value(const wchar_t* key_name)
{
    const LONG result = RegDeleteKeyValueW(HKEY_CURRENT_USER, key_name, kValue);
    return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result;
}

} // namespace

Autostart autostart_state()
{
    // A REG_EXPAND_SZ value is expanded and read as REG_SZ. Room for the
    // longest path in quotes; a longer (foreign) value fails to read rather
    // than being cut to a match.
    wchar_t command[32768 + 3] = {};
    DWORD size = sizeof command - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, kValue, RRF_RT_REG_SZ, nullptr, command, &size) != ERROR_SUCCESS)
        return Autostart::Off;
    if (!same_path(run_command_program(command), this_program_path()))
        return Autostart::OtherCopy;
    std::uint8_t approved[64] = {};
    DWORD approved_size = sizeof approved;
    const LONG read = RegGetValueW(HKEY_CURRENT_USER, kApprovedKey, kValue, RRF_RT_REG_BINARY, nullptr, approved,
                                   &approved_size);
    if (read != ERROR_SUCCESS)
        approved_size = 0; // no switch: Windows starts it
    return startup_approved({approved, approved_size}) ? Autostart::On : Autostart::DisabledByWindows;
}

bool set_autostart(bool on)
{
    if (!on)
        return delete_value(kRunKey) == ERROR_SUCCESS && delete_value(kApprovedKey) == ERROR_SUCCESS;
    const std::wstring program = this_program_path();
    if (program.empty())
        return false;
    // Quoted, so a folder with blanks is never read as a program plus arguments.
    const std::wstring command = L"\"" + program + L"\"";
    if (RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, kValue, REG_SZ, command.c_str(),
                        static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
        return false;
    return RegSetKeyValueW(HKEY_CURRENT_USER, kApprovedKey, kValue, REG_BINARY, kStartupEnabled,
                           sizeof kStartupEnabled) == ERROR_SUCCESS;
}

} // namespace keyhost
