// Just enough of IAccessible for read-only alerts: a name, a role, a state
// and a place, for the object and for each text it carries as a simple
// child. Everything else answers "none" the way MSAA servers do.
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

void set_empty(VARIANT* v)
{
    if (v)
        v->vt = VT_EMPTY;
}

// The live objects, linked through themselves. Clients release them on RPC
// threads when the host thread is in the multithreaded apartment, so the
// list is guarded; the guard is held for a few pointer moves only.
class AccessibleText;
AccessibleText* g_first = nullptr;
LONG g_list_lock = 0;
LONG g_live = 0;

class ListGuard {
public:
    ListGuard()
    {
        while (InterlockedExchange(&g_list_lock, 1))
            Sleep(0);
    }
    ~ListGuard() { InterlockedExchange(&g_list_lock, 0); }
    ListGuard(const ListGuard&) = delete;
    ListGuard& operator=(const ListGuard&) = delete;
};

class AccessibleText final : public IAccessible {
public:
    AccessibleText(const SaidText* said, std::size_t count, HWND window) : window_(window)
    {
        if (!said)
            count = 0;
        // The newest texts when more were given than are kept.
        const std::size_t skip = count > kKeptAnnouncements ? count - kKeptAnnouncements : 0;
        for (std::size_t i = skip; i < count; ++i) {
            SaidText& kept = said_[count_++];
            kept.child = said[i].child;
            std::size_t n = 0;
            for (; said[i].text[n] && n + 1 < MAX_PATH; ++n)
                kept.text[n] = said[i].text[n];
            kept.text[n] = L'\0';
        }
        InterlockedIncrement(&g_live);
        ListGuard guard;
        next_ = g_first;
        if (next_)
            next_->previous_ = this;
        g_first = this;
    }
    ~AccessibleText()
    {
        {
            ListGuard guard;
            (previous_ ? previous_->next_ : g_first) = next_;
            if (next_)
                next_->previous_ = previous_;
        }
        InterlockedDecrement(&g_live);
    }
    AccessibleText(const AccessibleText&) = delete;
    AccessibleText& operator=(const AccessibleText&) = delete;

    // Takes a reference unless the object is already on its way out (its
    // last Release ran and it waits for the list to let it go); list guard
    // held.
    bool try_add_ref()
    {
        for (LONG refs = refs_; refs > 0; refs = refs_) {
            if (InterlockedCompareExchange(&refs_, refs + 1, refs) == refs)
                return true;
        }
        return false;
    }
    AccessibleText* next() const { return next_; }
    bool disconnected = false; // list guard held

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
    // A text's child id names a simple element of this object: no object
    // of its own, the client asks this one about it.
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        return is_self(child) || !find(child) ? E_INVALIDARG : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        if (!name)
            return E_POINTER;
        *name = nullptr;
        const SaidText* said = find(child);
        if (!said)
            return E_INVALIDARG;
        *name = alloc_string(said->text);
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
        if (!find(child))
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
    bool is_self(const VARIANT& child) const { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }
    // The text the child id names; the newest for the object itself. A
    // stale id (its text no longer kept) names nothing.
    const SaidText* find(const VARIANT& child) const
    {
        if (child.vt != VT_I4 || count_ == 0)
            return nullptr;
        if (child.lVal == CHILDID_SELF)
            return &said_[count_ - 1];
        for (std::size_t i = 0; i < count_; ++i) {
            if (said_[i].child == child.lVal)
                return &said_[i];
        }
        return nullptr;
    }

    static HRESULT none(IDispatch** out)
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        return S_FALSE;
    }
    HRESULT none(const VARIANT& child, BSTR* out) const
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        return find(child) ? S_FALSE : E_INVALIDARG;
    }
    HRESULT number(const VARIANT& child, VARIANT* out, long value) const
    {
        if (!out)
            return E_POINTER;
        out->vt = VT_EMPTY;
        if (!find(child))
            return E_INVALIDARG;
        out->vt = VT_I4;
        out->lVal = value;
        return S_OK;
    }

    LONG refs_ = 1;
    HWND window_;
    SaidText said_[kKeptAnnouncements];
    std::size_t count_ = 0;
    AccessibleText* next_ = nullptr;
    AccessibleText* previous_ = nullptr;
};

} // namespace

IAccessible* new_accessible_text(const SaidText* said, std::size_t count, HWND window)
{
    return new (std::nothrow) AccessibleText(said, count, window);
}

void disconnect_accessible_texts()
{
    using Disconnect = HRESULT(WINAPI*)(LPUNKNOWN, DWORD);
    static const auto disconnect = platform::system_function_as<Disconnect>("ole32.dll", "CoDisconnectObject");
    // A batch at a time, each object once: the release that follows a
    // disconnect may free it, and an object a client of this process still
    // holds directly stays alive (and listed) after it.
    for (;;) {
        AccessibleText* batch[16];
        std::size_t n = 0;
        {
            ListGuard guard;
            for (AccessibleText* t = g_first; t && n < 16; t = t->next()) {
                if (!t->disconnected && t->try_add_ref()) {
                    t->disconnected = true;
                    batch[n++] = t;
                }
            }
        }
        if (n == 0)
            return;
        for (std::size_t i = 0; i < n; ++i) {
            if (disconnect)
                disconnect(static_cast<IAccessible*>(batch[i]), 0);
            batch[i]->Release();
        }
    }
}

std::size_t live_accessible_texts() { return static_cast<std::size_t>(InterlockedCompareExchange(&g_live, 0, 0)); }

} // namespace vx::osd
