#include "autostart.h"

#include <windows.h>

#include <string>

namespace keyhost {
namespace {

constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kValue[] = "VXKeyHost";

// The command the Run key holds: this program's path in quotes.
std::string this_program()
{
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return {};
    return std::string("\"") + path + "\"";
}

} // namespace

bool autostart_enabled()
{
    char value[MAX_PATH + 3] = {};
    DWORD size = sizeof value - 1;
    if (RegGetValueA(HKEY_CURRENT_USER, kRunKey, kValue, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return false;
    const std::string program = this_program();
    return !program.empty() && lstrcmpiA(value, program.c_str()) == 0;
}

bool set_autostart(bool on)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG result = ERROR_SUCCESS;
    if (on) {
        const std::string program = this_program();
        result = program.empty() ? ERROR_BAD_PATHNAME
                                 : RegSetValueExA(key, kValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(program.c_str()),
                                                  static_cast<DWORD>(program.size() + 1));
    } else {
        result = RegDeleteValueA(key, kValue);
        if (result == ERROR_FILE_NOT_FOUND)
            result = ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

} // namespace keyhost
