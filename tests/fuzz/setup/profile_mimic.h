// The profile service (GetPrivateProfileStringA) over the bytes of one INI
// file, without Windows, so that the script reader can be fuzzed from raw
// files. It reproduces what the service does under Wine, and a Windows test
// holds it to the real service on tricky files:
// - lines end at CR or LF; tab, LF, VT, FF, CR, ^Z and blank are trimmed
//   around lines, section names, key names and values;
// - "[" up to the line's last "]" names a section; without a "]" the line is
//   a key; lines before the first section belong to no section;
// - a key line splits at its first "="; a line without "=" is a key without
//   a value (left out of key lists, read as missing); a nameless key right
//   after another nameless one is dropped;
// - names compare without regard to the case of ASCII letters (Wine folds
//   no others); the first section of a name is the only
//   one looked at, and in it the first key of a name; a queried name is
//   trimmed first;
// - a value, or the fallback, quoted with ' or " at both ends loses the
//   quotes; the fallback loses its trailing blanks;
// - key lists leave out names starting with ";", and are cut as the
//   service cuts them; any text stops at a NUL byte.
// Bytes are characters of code page 1252. A file that starts with a
// byte-order mark is decoded by Windows as UTF-8 or UTF-16; here it is read
// as single-byte text all the same, which changes characters, not lengths
// beyond what the buffers allow.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/script_reader.h"

namespace vxtest {

class ProfileMimic final : public vx::setup::ProfileReader {
public:
    explicit ProfileMimic(std::string_view file);
    std::size_t read(const char* section, const char* key, const char* fallback, char* out,
                     std::size_t size) const override;

private:
    struct Key {
        std::string name; // may hold NULs: only the text before one counts
        std::optional<std::string> value;
    };
    struct Section {
        std::string name;
        std::vector<Key> keys;
    };
    const Section* find_section(std::string_view name) const;
    std::size_t key_list(const char* section, const char* fallback, char* out, std::size_t size) const;
    std::size_t value(const char* section, const char* key, const char* fallback, char* out, std::size_t size) const;

    std::vector<Section> sections_;
};

} // namespace vxtest
