// The setup script: which INI file fits the running Windows, and its reader
// over the profile service (GetPrivateProfileStringA) with the directory
// macros of this Windows.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "core/fixed_text.h"
#include "core/script_reader.h"
#include "setup_config.h"

namespace vx::setup {

inline constexpr char kScriptMe[] = "SETUPME.INI";
inline constexpr char kScript98[] = "SETUP98.INI";
inline constexpr char kScript95[] = "SETUP95.INI";
inline constexpr char kScript2k[] = "SETUP2K.INI";
inline constexpr char kScriptNt[] = "SETUPNT.INI";

// True when FindFirstFileA finds a file for path.
bool file_exists(const char* path);

// The script file name for the record's OS flags and the files present in
// its setup folder (the last candidate even when it is missing).
const char* choose_script_name(const SetupConfig& record);

// Chooses and reads the script into the record: 1 when read, 0 when the
// chosen file does not exist (then nothing else is read).
int ReadSetupScript();

// The field at value[0] into out (260 bytes); returns the index of the
// character that ended it (',' or the terminating NUL).
std::size_t ReadField(const char* value, char* out);

// Replacement of a macro name into out (260 bytes): number of characters
// placed there, 0 placing nothing.
int ExpandMacro(const char* name, char* out);

// The reader of the record's script, its macros taking the folders of the
// record and of this Windows.
ScriptReader script_reader();

// The key names of a script section, in order, as the 1024-byte list holds them.
std::vector<std::string> script_section_keys(const char* section);

// A value of the script, read into 260 bytes.
std::string script_value(const char* section, const char* key, const char* fallback = "");

// Fields 1..count of a value; missing fields are empty.
std::vector<std::string> script_fields(const std::string& value, std::size_t count);

} // namespace vx::setup
