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

// The script file through the profile service, exactly as Windows reads it.
class ScriptFile final : public ProfileReader {
public:
    std::size_t read(const char* section, const char* key, const char* fallback, char* out,
                     std::size_t size) const override
    {
        return GetPrivateProfileStringA(section, key, fallback, out, static_cast<DWORD>(size), config().script_path);
    }
};

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
    // An empty setup folder (the program's own path could not be read) would
    // make the script path relative to the root of the current drive.
    const char* name = c.setup_folder[0] ? choose_script_name(c) : nullptr;
    if (!name || !script_exists(c, name))
        return 0;
    copy_text(c.script_path, folder_file(c.setup_folder, name));

    read_setup_keys(script_reader(), c);
    return 1;
}

ScriptReader script_reader()
{
    static const ScriptFile file;
    const SetupConfig& c = config();
    return ScriptReader(file, {windows_folder(GetSystemDirectoryA), windows_folder(GetWindowsDirectoryA),
                               c.installation_folder, c.setup_folder});
}

std::size_t ReadField(const char* value, char* out)
{
    const FieldResult field = script_reader().field(value ? value : "");
    copy_text(out, kTextCapacity, field.text);
    return field.end;
}

int ExpandMacro(const char* name, char* out)
{
    const std::string text = script_reader().expand(name ? name : "");
    if (!text.empty())
        copy_text(out, kTextCapacity, text);
    return static_cast<int>(text.size());
}

std::vector<std::string> script_section_keys(const char* section)
{
    return script_reader().section_keys(section);
}

std::string script_value(const char* section, const char* key, const char* fallback)
{
    return script_reader().value(section, key, fallback);
}

std::vector<std::string> script_fields(const std::string& value, std::size_t count)
{
    return script_reader().fields(value, count);
}

} // namespace vx::setup
