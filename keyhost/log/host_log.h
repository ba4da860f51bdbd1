// keyhost's log: keyhost.log in a given folder, or in the user's local
// application-data folder (...\VXKeyHost) when none is given. It is appended
// to across starts; past kMaxLogBytes the current file becomes keyhost.old.log
// and a new one begins, so the two never hold more than twice that. Folders
// are UTF-8 and reach Windows through the wide calls.
#pragma once
#include <cstdio>
#include <string>

namespace keyhost {

inline constexpr long kMaxLogBytes = 512 * 1024;

class HostLog {
public:
    ~HostLog() { close(); }
    // Opens (creating the folder); false when the file cannot be written.
    bool open(const std::string& folder);
    void close();
    void write(const char* line);
    const std::string& folder() const { return folder_; }
    std::string path() const { return folder_ + "\\keyhost.log"; }

private:
    void rotate_if_full();

    std::string folder_;
    std::FILE* file_ = nullptr;
};

// The user's local application-data folder for keyhost ("" when unknown).
std::string default_log_folder();

} // namespace keyhost
