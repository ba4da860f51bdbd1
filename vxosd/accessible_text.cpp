// Just enough of IAccessible for a read-only alert: a name, a role, a state
// and a place. Everything else answers "none" the way MSAA servers do.
#include "accessible_text.h"

#include <new>

#include "platform/system_function.h"

namespace vx::osd {
namespace {

BSTR alloc_string(const wchar_t* text)
{
    using Alloc = BSTR(WINAPI*)(const OLECHAR*);
    static const auto alloc = platform::system_function_as<Alloc>("oleaut32.dll", "SysAllocString");
    return alloc ? alloc(text) : nullptr;
}

bool is_self(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

void set_empty(VARIANT* v)
{
    if (v)
        v->vt = VT_EMPTY;
}

class AccessibleText final : public IAccessible {
public:
    AccessibleText(const wchar_t* text, HWND window) : window_(window)
    {
        std::size_t n = 0;
        while (text && text[n] && n + 1 < MAX_PATH) {
            text_[n] = text[n];
            ++n;
        }
        text_[n] = L'\0';
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

    // IDispatch: no type information; clients call IAccessible directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (count)
            *count = 0;
        return count ? S_OK : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return none(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch** child) override
    {
        if (child)
            *child = nullptr;
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        if (!name)
            return E_POINTER;
        *name = nullptr;
        if (!is_self(child))
            return E_INVALIDARG;
        *name = alloc_string(text_);
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override { return none(child, value); }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override { return none(child, text); }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        return number(child, role, ROLE_SYSTEM_ALERT);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        return number(child, state, STATE_SYSTEM_READONLY);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override { return none(child, help); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override
    {
        if (topic)
            *topic = 0;
        return none(child, file);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override { return none(child, keys); }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override
    {
        set_empty(focus);
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override
    {
        set_empty(selection);
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        return none(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override
    {
        if (!left || !top || !width || !height)
            return E_POINTER;
        *left = *top = *width = *height = 0;
        if (!is_self(child))
            return E_INVALIDARG;
        RECT r{};
        if (!GetWindowRect(window_, &r))
            return S_FALSE;
        *left = r.left;
        *top = r.top;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long, VARIANT, VARIANT* end) override
    {
        set_empty(end);
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long, long, VARIANT* child) override
    {
        set_empty(child);
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    static HRESULT none(IDispatch** out)
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        return S_FALSE;
    }
    static HRESULT none(const VARIANT& child, BSTR* out)
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        return is_self(child) ? S_FALSE : E_INVALIDARG;
    }
    static HRESULT number(const VARIANT& child, VARIANT* out, long value)
    {
        if (!out)
            return E_POINTER;
        out->vt = VT_EMPTY;
        if (!is_self(child))
            return E_INVALIDARG;
        out->vt = VT_I4;
        out->lVal = value;
        return S_OK;
    }

    LONG refs_ = 1;
    HWND window_;
    wchar_t text_[MAX_PATH];
};

} // namespace

IAccessible* new_accessible_text(const wchar_t* text, HWND window)
{
    return new (std::nothrow) AccessibleText(text, window);
}

} // namespace vx::osd
