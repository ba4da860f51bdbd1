#include "core/script_reader.h"

#include <algorithm>
#include <utility>

#include "core/fixed_text.h"

namespace vx::setup {

ScriptReader::ScriptReader(const ProfileReader& profile, MacroFolders folders)
    : profile_(profile), folders_(std::move(folders))
{
}

std::vector<std::string> ScriptReader::section_keys(const char* section) const
{
    char list[kKeyListCapacity] = {};
    const std::size_t n = profile_.read(section, nullptr, "", list, sizeof list);
    // The list is walked only up to its double NUL, which a cut list may lack.
    list[sizeof list - 2] = '\0';
    list[sizeof list - 1] = '\0';
    std::vector<std::string> keys;
    for (std::size_t i = 0; i < n && i < sizeof list && list[i] != '\0';) {
        std::string key(&list[i]);
        i += key.size() + 1;
        keys.push_back(std::move(key));
    }
    return keys;
}

std::string ScriptReader::value(const char* section, const char* key, const char* fallback) const
{
    char text[kTextCapacity] = {};
    const std::size_t n = profile_.read(section, key, fallback, text, sizeof text);
    const std::size_t limit = n < sizeof text ? n : sizeof text - 1;
    return std::string(text, std::find(text, text + limit, '\0'));
}

std::string ScriptReader::expand(std::string_view name) const
{
    return expand_macro(name, folders_, [this](std::string_view key) {
        return value(kStringsSection, std::string(key).c_str());
    });
}

FieldResult ScriptReader::field(std::string_view value) const
{
    return read_field(value, [this](std::string_view name) { return expand(name); });
}

std::vector<std::string> ScriptReader::fields(std::string_view value, std::size_t count) const
{
    std::vector<std::string> out(count);
    read_fields(value, [this](std::string_view name) { return expand(name); }, out.data(), count);
    return out;
}

void read_setup_keys(const ScriptReader& script, SetupConfig& record)
{
    copy_text(record.product_name, script.value(kSetupSection, "ProductName"));
    // The default title already ends in the suffix, which is appended again.
    const std::string fallback_title = join({record.product_name, " ", record.title_suffix});
    const std::string title = script.value(kSetupSection, "SetupTitle", fallback_title.c_str());
    copy_text(record.setup_title, join({title, " ", record.title_suffix}));
    copy_text(record.installer, script.value(kSetupSection, record.win64 ? "x64kbd" : "x86kbd"));
    copy_text(record.second_program, script.value(kSetupSection, record.win64 ? "x64mou" : "x86mou"));
    copy_text(record.logo_path, script.value(kSetupSection, "BkgLogo"));
}

void for_each_prerun_program(const ScriptReader& script, const std::function<bool(const PreRunProgram&)>& run)
{
    for (const std::string& key : script.section_keys(kPreRunSection)) {
        // Folder, parameters, wait flag; all three start empty for each entry.
        const std::vector<std::string> f = script.fields(script.value(kPreRunSection, key.c_str()), 3);
        const std::string program = join({f[0], "\\", key});
        // "1" has no case to ignore.
        if (!run({program, join({"\"", program, "\" ", f[1]}), f[2] == "1"}))
            return;
    }
}

void for_each_registry_file(const ScriptReader& script, std::string_view setup_folder,
                            const std::function<void(const std::string& path)>& import)
{
    for (const std::string& key : script.section_keys(kRegistryFilesSection)) {
        // Field 1 names the file; field 2 is read and not used.
        const std::vector<std::string> f = script.fields(script.value(kRegistryFilesSection, key.c_str()), 2);
        import(join({setup_folder, "\\", f[0]}));
    }
}

} // namespace vx::setup
