// The Reg_* exports: a value layer (one value under an explicit key) and a
// profile layer (section/value under the host's profile root, a per-user
// layer under HKEY_CURRENT_USER over machine-wide values under
// HKEY_LOCAL_MACHINE). Every call opens and closes its keys; nothing cached.
#include <windows.h>

#include <cstring>
#include <iterator>
#include <string>

#include "core/profile_codec.h"
#include "services/profile_store.h"
#include "services/system_modules.h"
#include "core/text_fields.h"
#include "vxutil.h"

namespace vx::profile {
namespace {

// Longest root or user name kept by Reg_InitProfile.
constexpr std::size_t kProfileTextMax = 258;
// Work buffer of Reg_SetProfileBinary's comparison read.
constexpr int kBinaryCompareSize = 1040;

struct ProfileState {
    char root[kPathSize] = "";
    char user[kPathSize] = "";
    bool machine_only = false;
};

ProfileState& state()
{
    static ProfileState s;
    return s;
}

std::string_view view(const char* text) { return text ? std::string_view(text) : std::string_view(); }

void keep_text(char (&dest)[kPathSize], const char* source)
{
    std::string_view text = view(source);
    if (text.size() > kProfileTextMax)
        text = text.substr(0, kProfileTextMax);
    text::copy_text(dest, sizeof dest, text);
}

bool user_path(const char* section, char (&out)[kPathSize])
{
    return compose_user_path(state().root, state().user, view(section), out);
}

bool machine_path(const char* section, char (&out)[kPathSize])
{
    return compose_machine_path(state().root, view(section), out);
}

class Key {
public:
    Key(HKEY root, const char* path, REGSAM access)
    {
        if (RegOpenKeyExA(root, path ? path : "", 0, access, &key_) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~Key()
    {
        if (key_)
            RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    explicit operator bool() const { return key_ != nullptr; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// Reads a value of at most kPathSize bytes for the number and bool readers;
// a longer value does not fit and counts as missing.
struct SmallValue {
    DWORD type = 0;
    DWORD size = 0;
    std::uint8_t bytes[kPathSize] = {};
    std::span<const std::uint8_t> data() const { return {bytes, size}; }
};

bool read_small(HKEY root, const char* subkey, const char* name, SmallValue& value)
{
    Key key(root, subkey, KEY_READ);
    if (!key)
        return false;
    value.size = sizeof value.bytes;
    return RegQueryValueExA(key.get(), name, nullptr, &value.type, value.bytes, &value.size) == ERROR_SUCCESS;
}

LONG write_value(HKEY root, const char* subkey, const char* name, DWORD type, const void* data, DWORD size)
{
    Key key(root, subkey, KEY_WRITE);
    if (!key)
        return ERROR_FILE_NOT_FOUND;
    return RegSetValueExA(key.get(), name, 0, type, static_cast<const BYTE*>(data), size);
}

// Creates `path` under `hive`: at once, or else one level at a time, for
// systems that refuse to create several levels in one call.
bool create_key(HKEY hive, const char* path)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(hive, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
        RegCloseKey(key);
        return true;
    }
    HKEY parent = hive;
    bool opened = false;
    char level[kPathSize];
    for (int n = 1; text::field_at(path, n, level, sizeof level, '\\') >= 0; ++n) {
        HKEY child = nullptr;
        const LONG r = RegCreateKeyExA(parent, level, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                       &child, nullptr);
        if (opened)
            RegCloseKey(parent);
        if (r != ERROR_SUCCESS)
            return false;
        parent = child;
        opened = true;
    }
    if (opened)
        RegCloseKey(parent);
    return opened;
}

// The layer a profile write goes to: the machine path in machine-only mode,
// else the user's. False when the composed path does not fit.
bool write_target(const char* section, HKEY& hive, char (&path)[kPathSize])
{
    if (state().machine_only) {
        hive = HKEY_LOCAL_MACHINE;
        return machine_path(section, path);
    }
    hive = HKEY_CURRENT_USER;
    return user_path(section, path);
}

// Profile read order: the user's layer (unless machine-only), then the
// machine's. `read` is a value-layer reader taking (hive, path).
template <class Read>
bool read_layers(const char* section, Read read)
{
    char path[kPathSize];
    if (!state().machine_only && user_path(section, path) && read(HKEY_CURRENT_USER, path))
        return true;
    return machine_path(section, path) && read(HKEY_LOCAL_MACHINE, path);
}

// Profile write: make sure the target key exists, then write with `write`.
template <class Write>
int write_layer(const char* section, Write write)
{
    HKEY hive = nullptr;
    char path[kPathSize];
    if (!write_target(section, hive, path))
        return 0;
    create_key(hive, path);
    return write(hive, path);
}

} // namespace

void reset_for_tests()
{
    state() = ProfileState{};
}

} // namespace vx::profile

using namespace vx::profile;

// ---- Value layer ----------------------------------------------------------

namespace vx::profile {

// An expandable text read from registry view `view`, with the folder
// variables renamed to those that name that view's folders when it is not
// this process's own: a 64-bit program's "%ProgramFiles%" is ProgramW6432 in
// a 32-bit process, a 32-bit program's is "ProgramFiles(x86)" in a 64-bit
// one. A variable the environment lacks is left as it was.
static std::string in_view_folders(const char* text, REGSAM view)
{
#if defined(_WIN64)
    const bool other_view = (view & KEY_WOW64_32KEY) != 0;
    static constexpr VariableRename kFolders[] = {{"ProgramFiles", "ProgramFiles(x86)"},
                                                  {"CommonProgramFiles", "CommonProgramFiles(x86)"}};
#else
    const bool other_view = (view & KEY_WOW64_64KEY) != 0 && vx::running_under_wow64();
    static constexpr VariableRename kFolders[] = {{"ProgramFiles", "ProgramW6432"},
                                                  {"CommonProgramFiles", "CommonProgramW6432"}};
#endif
    if (!other_view)
        return text;
    VariableRename defined[std::size(kFolders)];
    std::size_t count = 0;
    for (const VariableRename& rename : kFolders) {
        char probe[1];
        if (GetEnvironmentVariableA(std::string(rename.to).c_str(), probe, sizeof probe) > 0)
            defined[count++] = rename;
    }
    return rename_variables(text, {defined, count});
}

static int read_text_into(HKEY root, const char* subkey, const char* name, char* buffer, int size, REGSAM view)
{
    Key key(root, subkey, KEY_READ | view);
    if (!key)
        return 0;
    DWORD type = 0;
    DWORD bytes = static_cast<DWORD>(size);
    const LONG r = RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
    if (type == REG_EXPAND_SZ && (r == ERROR_SUCCESS || r == ERROR_MORE_DATA)) {
        // The unexpanded text goes through a MAX_PATH work buffer, so it may
        // be longer than the caller's buffer as long as its expansion fits.
        char unexpanded[kPathSize];
        DWORD length = sizeof unexpanded;
        if (RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(unexpanded), &length) !=
                ERROR_SUCCESS ||
            type != REG_EXPAND_SZ)
            return 0;
        if (length < sizeof unexpanded)
            unexpanded[length] = '\0';
        else if (unexpanded[sizeof unexpanded - 1] != '\0')
            return 0;
        const DWORD needed =
            ExpandEnvironmentStringsA(in_view_folders(unexpanded, view).c_str(), buffer, static_cast<DWORD>(size));
        return needed != 0 && needed <= static_cast<DWORD>(size);
    }
    if (r != ERROR_SUCCESS)
        return 0;
    // Callers read the result as text whatever the value's type, and stored
    // data need not end in a zero: data that leaves no room for one does not
    // fit, unless its own last byte is the terminator.
    if (bytes < static_cast<DWORD>(size)) {
        buffer[bytes] = '\0';
        return 1;
    }
    return buffer[size - 1] == '\0' ? 1 : 0;
}

int read_text(HKEY root, const char* subkey, const char* name, char* buffer, int size, REGSAM view)
{
    if (!buffer || size <= 0)
        return 0;
    if (read_text_into(root, subkey, name, buffer, size, view))
        return 1;
    // A failed read may have left stored bytes without a zero in the buffer
    // (data that did not fit, a cut expansion); callers that go on with the
    // buffer anyway must still find the end of it inside.
    buffer[size - 1] = '\0';
    return 0;
}

int read_text_any_view(HKEY root, const char* subkey, const char* name, char* buffer, int size)
{
    if (read_text(root, subkey, name, buffer, size, 0))
        return 1;
#if defined(_WIN64)
    const REGSAM other = KEY_WOW64_32KEY;
#else
    const REGSAM other = KEY_WOW64_64KEY; // ignored on 32-bit Windows: the same view again
#endif
    return read_text(root, subkey, name, buffer, size, other);
}

} // namespace vx::profile

extern "C" int WINAPI Reg_GetValueString(HKEY root, const char* subkey, const char* name, char* buffer, int size)
{
    return read_text(root, subkey, name, buffer, size, 0);
}

extern "C" int WINAPI Reg_SetValueString(HKEY root, const char* subkey, const char* name, const char* text)
{
    if (!text)
        return 0;
    const std::size_t length = std::strlen(text);
    if (length >= MAXDWORD)
        return 0;
    return write_value(root, subkey, name, REG_SZ, text, static_cast<DWORD>(length + 1)) == ERROR_SUCCESS;
}

extern "C" int WINAPI Reg_GetValueNumber(HKEY root, const char* subkey, const char* name, int* out)
{
    SmallValue value;
    if (!read_small(root, subkey, name, value))
        return 0;
    const auto number = decode_number(value.type, value.data());
    if (!number)
        return 0;
    if (out)
        *out = *number;
    return 1;
}

extern "C" int WINAPI Reg_SetValueNumber(HKEY root, const char* subkey, const char* name, int value)
{
    const DWORD data = static_cast<DWORD>(value);
    return write_value(root, subkey, name, REG_DWORD, &data, sizeof data) == ERROR_SUCCESS;
}

extern "C" int WINAPI Reg_GetValueBool(HKEY root, const char* subkey, const char* name, int* out)
{
    SmallValue value;
    if (!read_small(root, subkey, name, value))
        return 0;
    const auto flag = decode_bool(value.type, value.data());
    if (!flag)
        return 0;
    if (out)
        *out = *flag;
    return 1;
}

extern "C" int WINAPI Reg_SetValueBool(HKEY root, const char* subkey, const char* name, int value)
{
    const DWORD data = static_cast<DWORD>(value);
    return write_value(root, subkey, name, REG_BINARY, &data, sizeof data) == ERROR_SUCCESS;
}

extern "C" int WINAPI Reg_GetValueBinary(HKEY root, const char* subkey, const char* name, void* buffer, int* size)
{
    DWORD bytes = size && *size > 0 ? static_cast<DWORD>(*size) : 0;
    Key key(root, subkey, KEY_READ);
    if (!key)
        return 0;
    const LONG r = RegQueryValueExA(key.get(), name, nullptr, nullptr, static_cast<BYTE*>(buffer), &bytes);
    if (size)
        *size = static_cast<int>(bytes);
    return r == ERROR_SUCCESS;
}

extern "C" int WINAPI Reg_SetValueBinary(HKEY root, const char* subkey, const char* name, const void* data, int size)
{
    if (size < 0 || (!data && size > 0))
        return 0;
    return write_value(root, subkey, name, REG_BINARY, data, static_cast<DWORD>(size)) == ERROR_SUCCESS;
}

// ---- Profile layer --------------------------------------------------------

extern "C" int WINAPI Reg_InitProfile(const char* root, const char* user)
{
    auto& s = state();
    keep_text(s.root, root);
    keep_text(s.user, user);
    s.machine_only = user == nullptr;
    return 1;
}

extern "C" int WINAPI Reg_GetProfileString(const char* section, const char* name, char* buffer, int size,
                                           const char* fallback)
{
    if (read_layers(section, [&](HKEY hive, const char* path) {
            return Reg_GetValueString(hive, path, name, buffer, size) != 0;
        }))
        return 1;
    if (fallback && buffer && size > 0)
        vx::text::copy_text(buffer, static_cast<std::size_t>(size), fallback);
    return 0;
}

extern "C" int WINAPI Reg_GetProfileNumber(const char* section, const char* name, int* out, int fallback)
{
    int value = 0;
    if (read_layers(section, [&](HKEY hive, const char* path) {
            return Reg_GetValueNumber(hive, path, name, &value) != 0;
        })) {
        if (out)
            *out = value;
        return 1;
    }
    if (out)
        *out = fallback;
    return 0;
}

extern "C" int WINAPI Reg_GetProfileBool(const char* section, const char* name, int* out, int fallback)
{
    int value = 0;
    if (read_layers(section, [&](HKEY hive, const char* path) {
            return Reg_GetValueBool(hive, path, name, &value) != 0;
        })) {
        if (out)
            *out = value;
        return 1;
    }
    if (out)
        *out = fallback;
    return 0;
}

extern "C" int WINAPI Reg_GetProfileBinary(const char* section, const char* name, void* buffer, int* size,
                                           const void* fallback, int fallback_size)
{
    if (!size)
        return 0;
    // Each layer is read with the caller's capacity: a failed read reports the
    // size the value would need, which must not become the next layer's room.
    const int capacity = *size > 0 ? *size : 0;
    if (read_layers(section, [&](HKEY hive, const char* path) {
            *size = capacity;
            return Reg_GetValueBinary(hive, path, name, buffer, size) != 0;
        }))
        return 1;
    *size = capacity;
    if (fallback && buffer) {
        const int n = fallback_size < 0 ? 0 : (fallback_size < capacity ? fallback_size : capacity);
        if (n > 0)
            std::memcpy(buffer, fallback, static_cast<std::size_t>(n));
        *size = n;
    }
    return 0;
}

extern "C" int WINAPI Reg_SetProfileString(const char* section, const char* name, const char* text)
{
    if (!text)
        return 0;
    char current[kPathSize];
    if (Reg_GetProfileString(section, name, current, sizeof current, nullptr) && lstrcmpA(current, text) == 0)
        return 0;
    return write_layer(section, [&](HKEY hive, const char* path) { return Reg_SetValueString(hive, path, name, text); });
}

extern "C" int WINAPI Reg_SetProfileNumber(const char* section, const char* name, int value)
{
    int current = 0;
    if (Reg_GetProfileNumber(section, name, &current, 0) && current == value)
        return 0;
    return write_layer(section, [&](HKEY hive, const char* path) { return Reg_SetValueNumber(hive, path, name, value); });
}

extern "C" int WINAPI Reg_SetProfileBool(const char* section, const char* name, int value)
{
    int current = 0;
    if (Reg_GetProfileBool(section, name, &current, 0) && current == value)
        return 0;
    return write_layer(section, [&](HKEY hive, const char* path) { return Reg_SetValueNumber(hive, path, name, value); });
}

extern "C" int WINAPI Reg_SetProfileBinary(const char* section, const char* name, const void* data, int size)
{
    if (size < 0 || (!data && size > 0))
        return 0;
    static_assert(kBinaryCompareSize > 0);
    std::uint8_t current[kBinaryCompareSize];
    int current_size = sizeof current;
    if (Reg_GetProfileBinary(section, name, current, &current_size, nullptr, 0) && current_size == size &&
        (size == 0 || std::memcmp(current, data, static_cast<std::size_t>(size)) == 0))
        return 0;
    return write_layer(section,
                       [&](HKEY hive, const char* path) { return Reg_SetValueBinary(hive, path, name, data, size); });
}

extern "C" int WINAPI Reg_DelProfileKey(const char* section, const char* subkey)
{
    if (!subkey)
        return 0;
    char path[kPathSize];
    HKEY key = nullptr;
    const REGSAM access = KEY_READ | KEY_WRITE;
    // Only the first key that opens is tried: a user key without that
    // subkey leaves the machine-wide one alone.
    const bool user_opened = !state().machine_only && user_path(section, path) &&
                             RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, access, &key) == ERROR_SUCCESS;
    if (!user_opened &&
        (!machine_path(section, path) || RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, access, &key) != ERROR_SUCCESS))
        return 0;
    const LONG r = RegDeleteKeyA(key, subkey);
    RegCloseKey(key);
    return r == ERROR_SUCCESS;
}
