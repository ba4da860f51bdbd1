#include "announcements.h"

#include <oleacc.h>

namespace keyhost {
namespace {

std::function<void(const std::string&)> g_said;

std::string utf8(const wchar_t* text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(size) - 1);
    return out;
}

} // namespace

// Out of context, so the event arrives through the message loop after the
// show that raised it, never inside it.
void CALLBACK AnnouncementLog::on_alert(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD)
{
    IAccessible* accessible = nullptr;
    VARIANT item;
    VariantInit(&item);
    if (!g_said || FAILED(AccessibleObjectFromEvent(window, object, child, &accessible, &item)) || !accessible)
        return;
    BSTR name = nullptr;
    if (SUCCEEDED(accessible->get_accName(item, &name)) && name) {
        g_said(utf8(name));
        SysFreeString(name);
    }
    accessible->Release();
    VariantClear(&item);
}

bool AnnouncementLog::start(std::function<void(const std::string&)> said)
{
    stop();
    com_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    g_said = std::move(said);
    hook_ = SetWinEventHook(EVENT_SYSTEM_ALERT, EVENT_SYSTEM_ALERT, nullptr, on_alert, GetCurrentProcessId(), 0,
                            WINEVENT_OUTOFCONTEXT);
    return hook_ != nullptr;
}

void AnnouncementLog::stop()
{
    if (hook_)
        UnhookWinEvent(hook_);
    hook_ = nullptr;
    g_said = nullptr;
    if (com_)
        CoUninitialize();
    com_ = false;
}

} // namespace keyhost
