// Reading and creating shell shortcuts (.lnk) with the shell-link object,
// and resolving Windows Installer (advertised) shortcuts through msi.dll.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdlib>
#include <cstring>

#include "services/com_scope.h"
#include "services/system_modules.h"
#include "core/text_fields.h"
#include "export_guard.h"
#include "vxutil.h"

namespace vx::shortcuts {
namespace {

// msi.dll exports, looked up by ordinal (the names came later) and by name
// as a second chance.
constexpr WORD kGetShortcutTargetOrdinal = 216; // MsiGetShortcutTargetA
constexpr WORD kGetComponentPathOrdinal = 172;  // MsiGetComponentPathA
constexpr int kInstallStateLocal = 3;           // INSTALLSTATE_LOCAL
constexpr std::size_t kGuidSize = 39;

// A path converted to UTF-16 with the ANSI code page; empty when it does not
// fit in MAX_PATH.
struct WidePath {
    wchar_t text[MAX_PATH] = L"";
    bool ok = false;
    explicit WidePath(const char* path)
    {
        ok = path && MultiByteToWideChar(CP_ACP, 0, path, -1, text, MAX_PATH) > 0;
    }
};

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr()
    {
        if (p_)
            p_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T** out() { return &p_; }
    void** out_void() { return reinterpret_cast<void**>(&p_); }
    T* operator->() const { return p_; }
    T* get() const { return p_; }

private:
    T* p_ = nullptr;
};

template <class Fn>
Fn msi_entry(HMODULE msi, WORD ordinal, const char* name)
{
    FARPROC entry = GetProcAddress(msi, MAKEINTRESOURCEA(ordinal));
    if (!entry)
        entry = GetProcAddress(msi, name);
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(entry));
}

// The advertised-shortcut branch of GetLinkInfoEx: -1 when the link is not
// an advertised shortcut (or msi.dll is missing), else 1 when the component
// is installed locally (target filled) and 0 when not.
int advertised_target(const char* link, char* target)
{
    HMODULE msi = vx::load_system_library("msi.dll");
    if (!msi)
        return -1;
    using ShortcutTarget = UINT(WINAPI*)(LPCSTR, LPSTR, LPSTR, LPSTR);
    using ComponentPath = int(WINAPI*)(LPCSTR, LPCSTR, LPSTR, DWORD*);
    const auto shortcut_target = msi_entry<ShortcutTarget>(msi, kGetShortcutTargetOrdinal, "MsiGetShortcutTargetA");
    const auto component_path = msi_entry<ComponentPath>(msi, kGetComponentPathOrdinal, "MsiGetComponentPathA");
    int result = -1;
    char product[kGuidSize] = "", component[kGuidSize] = "";
    if (shortcut_target && component_path && shortcut_target(link, product, nullptr, component) == ERROR_SUCCESS) {
        char path[MAX_PATH] = "";
        DWORD length = MAX_PATH;
        result = component_path(product, component, path, &length) == kInstallStateLocal ? 1 : 0;
        if (target)
            vx::text::copy_text(target, MAX_PATH, path);
    }
    FreeLibrary(msi);
    return result;
}

struct LinkOutputs {
    char* target;
    char* arguments; // only GetLinkInfoEx asks for them
    char* description;
    bool extended;
};

HRESULT load_link(HWND window, const char* link, const LinkOutputs& out)
{
    ComPtr<IShellLinkA> shell_link;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  shell_link.out_void());
    if (FAILED(hr))
        return hr;
    ComPtr<IPersistFile> file;
    hr = shell_link->QueryInterface(IID_IPersistFile, file.out_void());
    if (FAILED(hr))
        return hr;
    const WidePath wide(link);
    if (!wide.ok)
        return E_INVALIDARG;
    hr = file->Load(wide.text, STGM_READ);
    if (FAILED(hr))
        return hr;
    hr = shell_link->Resolve(window, SLR_NO_UI | SLR_ANY_MATCH);
    if (FAILED(hr))
        return hr;
    if (out.target) {
        WIN32_FIND_DATAA found;
        hr = shell_link->GetPath(out.target, MAX_PATH, &found, SLGP_UNCPRIORITY);
        if (FAILED(hr) && !out.extended)
            return hr;
    }
    if (out.extended && out.arguments)
        hr = shell_link->GetArguments(out.arguments, MAX_PATH);
    if (SUCCEEDED(hr) && out.description)
        hr = shell_link->GetDescription(out.description, MAX_PATH);
    return hr;
}

void empty(char* text)
{
    if (text)
        text[0] = '\0';
}

// Copies `text` without its double quotes into `out`, cut to fit.
template <std::size_t N>
void copy_unquoted(const char* text, char (&out)[N])
{
    std::size_t n = 0;
    for (const char* p = text; *p && n + 1 < N; ++p) {
        if (*p != '"')
            out[n++] = *p;
    }
    out[n] = '\0';
}

// The icon of help files: "file,index" from the help-file type's DefaultIcon,
// quotes removed from both parts. False when the key cannot be read.
bool help_file_icon(char (&file)[MAX_PATH], int& index)
{
    char value[MAX_PATH];
    if (!Reg_GetValueString(HKEY_CLASSES_ROOT, "hlpfile\\DefaultIcon", nullptr, value, sizeof value))
        return false;
    char* comma = std::strchr(value, ',');
    const char* index_text = "";
    if (comma) {
        *comma = '\0';
        index_text = comma + 1;
    }
    copy_unquoted(value, file);
    char digits[MAX_PATH];
    copy_unquoted(index_text, digits);
    index = atoi(digits);
    return true;
}

bool is_help_file(const char* target)
{
    const std::size_t length = std::strlen(target);
    return length >= 4 && lstrcmpiA(target + length - 4, ".hlp") == 0;
}

HRESULT save_link(const char* target, const char* arguments, int icon_index, const char* link)
{
    ComPtr<IShellLinkA> shell_link;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  shell_link.out_void());
    if (FAILED(hr))
        return hr;
    hr = shell_link->SetPath(target);
    if (FAILED(hr))
        return hr;
    if (is_help_file(target)) {
        char icon[MAX_PATH];
        int index = 0;
        if (help_file_icon(icon, index))
            shell_link->SetIconLocation(icon, index);
    } else {
        shell_link->SetIconLocation(target, icon_index);
    }
    hr = shell_link->SetArguments(arguments ? arguments : "");
    if (FAILED(hr))
        return hr;
    ComPtr<IPersistFile> file;
    hr = shell_link->QueryInterface(IID_IPersistFile, file.out_void());
    if (FAILED(hr))
        return hr;
    const WidePath wide(link);
    if (!wide.ok)
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    return file->Save(wide.text, TRUE);
}

} // namespace
} // namespace vx::shortcuts

using namespace vx::shortcuts;

extern "C" HRESULT WINAPI GetLinkInfo(HWND window, const char* link, char* target, char* description)
{
    empty(target);
    empty(description);
    return vx::with_com([&] { return load_link(window, link, {target, nullptr, description, false}); });
}

extern "C" HRESULT WINAPI GetLinkInfoEx(HWND window, const char* link, char* target, char* arguments,
                                        char* description)
{
    return vx::guarded<HRESULT>(E_OUTOFMEMORY, [&]() -> HRESULT {
        empty(target);
        empty(description);
        if (!link)
            return E_INVALIDARG;
        // msi.dll reads the link with the shell-link object too.
        return vx::with_com([&] {
            switch (advertised_target(link, target)) {
            case 1:
                return S_FALSE;
            case 0:
                return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
            default:
                break;
            }
            return load_link(window, link, {target, arguments, description, true});
        });
    });
}

extern "C" HRESULT WINAPI CreateShortcut(const char* target, const char* arguments, int icon_index, const char* link)
{
    if (!target || !link)
        return E_INVALIDARG;
    return vx::with_com([&] { return save_link(target, arguments, icon_index, link); });
}
