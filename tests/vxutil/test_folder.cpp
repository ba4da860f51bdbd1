#include "vxutil/test_folder.h"

#include <vector>

namespace vxtest {

TempFolder::TempFolder(const char* name)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    path_ = std::string(temp) + "vx_" + name + "_" + std::to_string(GetCurrentProcessId());
    std::wstring wide(path_.begin(), path_.end());
    remove_tree(L"\\\\?\\" + wide);
    CreateDirectoryA(path_.c_str(), nullptr);
}

TempFolder::~TempFolder()
{
    std::wstring wide(path_.begin(), path_.end());
    remove_tree(L"\\\\?\\" + wide);
}

void TempFolder::add_file(const std::string& relative, const std::string& content) const
{
    std::string full = path_;
    std::size_t pos = 0;
    while ((pos = relative.find('\\', pos)) != std::string::npos) {
        CreateDirectoryA((path_ + "\\" + relative.substr(0, pos)).c_str(), nullptr);
        ++pos;
    }
    full += "\\" + relative;
    HANDLE file = CreateFileA(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
}

void remove_tree(const std::wstring& path)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = path + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                remove_tree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}

} // namespace vxtest
