#include "platform/accessibility_seam.h"

#include <ole2.h>

#include "platform/system_function.h"

namespace vx::osd::platform {
namespace {

// From uiautomationcore.h, which older SDKs lack. The provider is an
// IRawElementProviderSimple, passed on as it came.
constexpr int kNotificationKindOther = 4;
constexpr int kNotificationProcessingMostRecent = 3; // a later show replaces an earlier one not yet read
using HostProviderFromHwnd = HRESULT(WINAPI*)(HWND, IUnknown**);
using RaiseNotificationEvent = HRESULT(WINAPI*)(IUnknown*, int, int, BSTR, BSTR);
using AllocString = BSTR(WINAPI*)(const OLECHAR*);
using FreeString = void(WINAPI*)(BSTR);

RaiseNotificationEvent raise_event()
{
    static const auto fn = system_function_as<RaiseNotificationEvent>("uiautomationcore.dll",
                                                                      "UiaRaiseNotificationEvent");
    return fn;
}

HRESULT raise_notification(HWND window, const wchar_t* text)
{
    static const auto host = system_function_as<HostProviderFromHwnd>("uiautomationcore.dll",
                                                                      "UiaHostProviderFromHwnd");
    static const auto alloc_string = system_function_as<AllocString>("oleaut32.dll", "SysAllocString");
    static const auto free_string = system_function_as<FreeString>("oleaut32.dll", "SysFreeString");
    IUnknown* provider = nullptr;
    if (!host || !alloc_string || !free_string)
        return E_NOTIMPL;
    HRESULT hr = host(window, &provider);
    if (FAILED(hr) || !provider)
        return FAILED(hr) ? hr : E_FAIL;
    BSTR shown = alloc_string(text);
    BSTR activity = alloc_string(L"VXOSD");
    hr = shown && activity ? raise_event()(provider, kNotificationKindOther, kNotificationProcessingMostRecent,
                                           shown, activity)
                           : E_OUTOFMEMORY;
    free_string(shown);
    free_string(activity);
    provider->Release();
    return hr;
}

using IncrementMtaUsage = HRESULT(WINAPI*)(void**);
using DecrementMtaUsage = HRESULT(WINAPI*)(void*);

} // namespace

AccessibilitySeam& accessibility()
{
    static AccessibilitySeam seam{
        raise_event() ? raise_notification : nullptr,
        system_function_as<IncrementMtaUsage>("ole32.dll", "CoIncrementMTAUsage"),
        system_function_as<DecrementMtaUsage>("ole32.dll", "CoDecrementMTAUsage"),
    };
    return seam;
}

} // namespace vx::osd::platform
