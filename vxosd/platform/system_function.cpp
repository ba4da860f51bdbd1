#include "platform/system_function.h"

#include "text_buffer.h"

namespace vx::osd::platform {

void* system_function(const char* dll, const char* name)
{
    HMODULE module = GetModuleHandleA(dll);
    if (!module) {
        // By full path: a DLL of that name in the host's folder or the
        // current folder is never picked up.
        char path[MAX_PATH];
        const UINT n = GetSystemDirectoryA(path, MAX_PATH);
        if (n == 0 || n >= MAX_PATH)
            return nullptr;
        copy_text(path + n, MAX_PATH - n, "\\");
        copy_text(path + n + 1, MAX_PATH - n - 1, dll);
        module = LoadLibraryA(path);
    }
    if (!module)
        return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(module, name));
}

} // namespace vx::osd::platform
