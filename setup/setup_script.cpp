#include "setup_script.h"

#include "core/script_fields.h"

namespace vx::setup {
namespace {

std::string folder_file(const char* folder, const char* name)
{
    std::string path(folder);
    path += '\\';
    path += name;
    return path;
}

bool script_exists(const SetupConfig& record, const char* name)
{
    return file_exists(folder_file(record.setup_folder, name).c_str());
}

std::string windows_folder(UINT (WINAPI* get)(LPSTR, UINT))
{
    char folder[kTextCapacity] = {};
    const UINT n = get(folder, sizeof folder);
    return n < sizeof folder ? std::string(folder, n) : std::string();
}

MacroExpander script_expander()
{
    return [](std::string_view name) {
        char out[kTextCapacity];
        const std::string key(name);
        const int n = ExpandMacro(key.c_str(), out);
        return std::string(out, n > 0 ? static_cast<std::size_t>(n) : 0);
    };
}

} // namespace

bool file_exists(const char* path)
{
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA(path, &found);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    FindClose(h);
    return true;
}

const char* choose_script_name(const SetupConfig& record)
{
    if (record.win9x_family) {
        if (record.win_me && script_exists(record, kScriptMe))
            return kScriptMe;
        if (record.win98_or_later && script_exists(record, kScript98))
            return kScript98;
        return kScript95;
    }
    if (record.nt_family) {
        if (record.nt5_or_later && script_exists(record, kScript2k))
            return kScript2k;
        return kScriptNt;
    }
    return nullptr; // neither family: no script fits
}

int ReadSetupScript()
{
    SetupConfig& c = config();
    // An empty setup folder (a program path too long for the record) would
    // make the script path relative to the root of the current drive.
    const char* name = c.setup_folder[0] ? choose_script_name(c) : nullptr;
    if (!name || !script_exists(c, name))
        return 0;
    copy_text(c.script_path, folder_file(c.setup_folder, name));

    copy_text(c.product_name, script_value("Setup", "ProductName"));
    // The default title already ends in the suffix, which is appended again.
    const std::string fallback_title = join({c.product_name, " ", c.title_suffix});
    const std::string title = script_value("Setup", "SetupTitle", fallback_title.c_str());
    copy_text(c.setup_title, join({title, " ", c.title_suffix}));
    copy_text(c.installer, script_value("Setup", c.win64 ? "x64kbd" : "x86kbd"));
    copy_text(c.second_program, script_value("Setup", c.win64 ? "x64mou" : "x86mou"));
    copy_text(c.logo_path, script_value("Setup", "BkgLogo"));
    return 1;
}

std::size_t ReadField(const char* value, char* out)
{
    const FieldResult field = read_field(value ? value : "", script_expander());
    copy_text(out, kTextCapacity, field.text);
    return field.end;
}

int ExpandMacro(const char* name, char* out)
{
    const SetupConfig& c = config();
    const MacroFolders folders{windows_folder(GetSystemDirectoryA), windows_folder(GetWindowsDirectoryA),
                               c.installation_folder, c.setup_folder};
    const std::string text = expand_macro(name ? name : "", folders, [](std::string_view key) {
        const std::string k(key);
        return script_value("Strings", k.c_str());
    });
    if (!text.empty())
        copy_text(out, kTextCapacity, text);
    return static_cast<int>(text.size());
}

std::vector<std::string> script_section_keys(const char* section)
{
    char list[kKeyListCapacity] = {};
    const DWORD n = GetPrivateProfileStringA(section, nullptr, "", list, sizeof list, config().script_path);
    list[sizeof list - 2] = '\0';
    list[sizeof list - 1] = '\0';
    std::vector<std::string> keys;
    for (DWORD i = 0; i < n && list[i] != '\0';) {
        std::string key(&list[i]);
        i += static_cast<DWORD>(key.size()) + 1;
        keys.push_back(std::move(key));
    }
    return keys;
}

std::string script_value(const char* section, const char* key, const char* fallback)
{
    char value[kTextCapacity] = {};
    const DWORD n = GetPrivateProfileStringA(section, key, fallback, value, sizeof value, config().script_path);
    return std::string(value, n < sizeof value ? n : sizeof value - 1);
}

std::vector<std::string> script_fields(const std::string& value, std::size_t count)
{
    std::vector<std::string> fields(count);
    read_fields(value, script_expander(), fields.data(), count);
    return fields;
}

} // namespace vx::setup
