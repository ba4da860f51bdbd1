// Reading the setup script: the [Setup] keys into the configuration record,
// the entries of [PreRun Programs] and [Add Registry Files], and the fields of
// their values with their %name% macros. No Windows header: the profile
// service that reads the script file comes in through ProfileReader.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/script_fields.h"
#include "core/setup_record.h"

namespace vx::setup {

// Size of the buffer a section's key list is read into.
inline constexpr std::size_t kKeyListCapacity = 1024;

inline constexpr char kSetupSection[] = "Setup";
inline constexpr char kStringsSection[] = "Strings";
inline constexpr char kPreRunSection[] = "PreRun Programs";
inline constexpr char kRegistryFilesSection[] = "Add Registry Files";

// The profile service over the script file, with the contract of
// GetPrivateProfileStringA: fills out (size bytes) and returns the number of
// characters placed there, the final NUL not counted. With no key it gives
// the section's key names, each ended by a NUL, and one more NUL after them.
class ProfileReader {
public:
    virtual ~ProfileReader() = default;
    virtual std::size_t read(const char* section, const char* key, const char* fallback, char* out,
                             std::size_t size) const = 0;
};

class ScriptReader {
public:
    ScriptReader(const ProfileReader& profile, MacroFolders folders);

    // The key names of a section, in order, as the 1024-byte list holds them.
    std::vector<std::string> section_keys(const char* section) const;
    // A value, read into 260 bytes.
    std::string value(const char* section, const char* key, const char* fallback = "") const;
    // Replacement of a macro name: a built-in folder or its [Strings] value.
    std::string expand(std::string_view name) const;
    // The field at value[0] (see read_field).
    FieldResult field(std::string_view value) const;
    // Fields 1..count of a value; missing fields are empty.
    std::vector<std::string> fields(std::string_view value, std::size_t count) const;

private:
    const ProfileReader& profile_;
    MacroFolders folders_;
};

// The [Setup] keys into the record: product name, setup title, the two
// installers of the record's Windows (x64 names on 64-bit Windows) and the
// logo. The title suffix must be in the record already.
void read_setup_keys(const ScriptReader& script, SetupConfig& record);

struct PreRunProgram {
    std::string program;      // folder, '\\', the key
    std::string command_line; // the quoted program path, a blank, the parameters
    bool wait = false;        // wait flag "1"
};

// Each [PreRun Programs] entry in order, read just before it is handed on,
// so that a program run for one entry sees the script as the next one reads it.
// run returns false to stop the walk.
void for_each_prerun_program(const ScriptReader& script, const std::function<bool(const PreRunProgram&)>& run);

// The path of each [Add Registry Files] entry in order: setup folder, '\',
// field 1 of the value.
void for_each_registry_file(const ScriptReader& script, std::string_view setup_folder,
                            const std::function<void(const std::string& path)>& import);

} // namespace vx::setup
