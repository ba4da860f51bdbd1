// Setup scripts from raw file bytes: the profile service's reading of the file
// (ProfileMimic), then the whole script reading into the configuration record
// and the entry lists, on 32-bit Windows with a short setup folder and on
// 64-bit Windows with one near the 259-character limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/script_reader.h"
#include "fuzz/setup/profile_mimic.h"

using namespace vx::setup;

namespace {

void check(bool holds)
{
    if (!holds)
        std::abort();
}

bool terminated_text(const char (&text)[kTextCapacity]) { return std::memchr(text, '\0', kTextCapacity) != nullptr; }

void read_script(const vxtest::ProfileMimic& profile, int win64)
{
    SetupConfig record{};
    record.win64 = win64;
    copy_text(record.title_suffix, "Setup");
    copy_text(record.setup_folder, win64 ? "C:\\" + std::string(250, 'f') : std::string("C:\\pkg"));
    copy_text(record.installation_folder, "C:\\Windows\\System32");
    const MacroFolders folders{record.installation_folder, win64 ? std::string(255, 'w') : "C:\\Windows",
                               record.installation_folder, record.setup_folder};
    const ScriptReader script(profile, folders);

    read_setup_keys(script, record);
    for (const auto* text : {&record.setup_folder, &record.script_path, &record.installation_folder,
                             &record.title_suffix, &record.product_name, &record.setup_title, &record.installer,
                             &record.second_program, &record.logo_path})
        check(terminated_text(*text));
    check(record.win64 == win64 && !record.nt_family && !record.hidden && !record.silent && !record.no_restart);
    const std::string_view title = record.setup_title;
    check(title.size() == kMaxFieldLength || title.ends_with(" Setup"));

    std::size_t listed = 0;
    for (const std::string& key : script.section_keys(kPreRunSection)) {
        check(!key.empty() && key.find('\0') == std::string::npos);
        listed += key.size() + 1;
        for (const std::string& f : script.fields(script.value(kPreRunSection, key.c_str()), 3))
            check(f.size() <= kMaxFieldLength);
    }
    check(listed < kKeyListCapacity); // every name with its NUL, and the final NUL
    for_each_prerun_program(script, [](const PreRunProgram& p) {
        check(p.command_line.starts_with('"') && p.command_line.size() <= 2 * kMaxFieldLength + kKeyListCapacity + 2);
        check(p.command_line.compare(1, p.program.size(), p.program) == 0);
        return true;
    });
    for_each_registry_file(script, record.setup_folder, [&](const std::string& path) {
        check(path.starts_with(record.setup_folder) && path.size() <= kTextCapacity + kMaxFieldLength);
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const vxtest::ProfileMimic profile(std::string_view(reinterpret_cast<const char*>(data), size));
    read_script(profile, 0);
    read_script(profile, 1);
    return 0;
}
