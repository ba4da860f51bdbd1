// A scratch folder under %TEMP% for one test, removed with everything in it.
#pragma once
#include <windows.h>

#include <string>

namespace vxtest {

class TempFolder {
public:
    explicit TempFolder(const char* name);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& rest) const { return path_ + "\\" + rest; }
    // Creates a file (and its folders) below the folder.
    void add_file(const std::string& relative, const std::string& content = "x") const;

private:
    std::string path_;
};

// Removes a folder tree, long paths included.
void remove_tree(const std::wstring& path);

} // namespace vxtest
