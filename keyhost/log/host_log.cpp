#include "host_log.h"

#include <windows.h>
#include <shlobj.h>

#include "shell/unicode_path.h"

namespace keyhost {

std::string default_log_folder()
{
    wchar_t base[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, base)))
        return {};
    return to_utf8(base) + "\\VXKeyHost";
}

bool HostLog::open(const std::string& folder)
{
    close();
    folder_ = folder;
    CreateDirectoryW(widen(folder_).c_str(), nullptr);
    file_ = _wfopen(widen(path()).c_str(), L"ab");
    if (file_)
        std::fseek(file_, 0, SEEK_END); // an appending file reports 0 until its first write
    rotate_if_full();
    return file_ != nullptr;
}

void HostLog::close()
{
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
}

void HostLog::write(const char* line)
{
    if (!file_)
        return;
    std::fputs(line, file_);
    std::fputs("\r\n", file_);
    std::fflush(file_);
    rotate_if_full();
}

void HostLog::rotate_if_full()
{
    if (!file_ || std::ftell(file_) < kMaxLogBytes)
        return;
    std::fclose(file_);
    const std::string old = folder_ + "\\keyhost.old.log";
    MoveFileExW(widen(path()).c_str(), widen(old).c_str(), MOVEFILE_REPLACE_EXISTING);
    file_ = _wfopen(widen(path()).c_str(), L"ab");
}

} // namespace keyhost
