#include "shell/tray_icon.h"

#include <windowsx.h>

#include <cwchar>
#include <iterator>

namespace keyhost {
namespace {

constexpr wchar_t kIntroKey[] = L"Software\\VXKeyHost";
constexpr wchar_t kIntroValue[] = L"TrayIntroShown";

// Copies as much of `from` as fits and always terminates.
template <std::size_t N>
void copy_text(wchar_t (&to)[N], const wchar_t* from)
{
    std::wcsncpy(to, from, N - 1);
    to[N - 1] = L'\0';
}

bool high_contrast()
{
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

bool intro_shown()
{
    DWORD shown = 0;
    DWORD size = sizeof shown;
    return RegGetValueW(HKEY_CURRENT_USER, kIntroKey, kIntroValue, RRF_RT_REG_DWORD, nullptr, &shown, &size) ==
               ERROR_SUCCESS &&
           shown;
}

} // namespace

void TrayIcon::attach(HWND window, UINT callback_message, bool introduce)
{
    window_ = window;
    introduce_ = introduce;
    callback_ = callback_message;
    taskbar_created_ = RegisterWindowMessageW(L"TaskbarCreated");
}

NOTIFYICONDATAW TrayIcon::data(UINT flags) const
{
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = window_;
    icon.uID = 1;
    icon.uFlags = flags;
    return icon;
}

// The small-icon size of the system DPI; the group holds 16, 20, 24 and 32
// pixels, so 100 to 200 % scaling get a picture drawn for them.
HICON TrayIcon::load_icon() const
{
    const HINSTANCE module = GetModuleHandleW(nullptr);
    const WORD id = high_contrast() ? kIconKeyhostHighContrast : kIconKeyhost;
    const int size = GetSystemMetrics(SM_CXSMICON);
    if (auto icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_SHARED)))
        return icon;
    return LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
}

bool TrayIcon::add()
{
    NOTIFYICONDATAW icon = data(NIF_ICON | NIF_MESSAGE | NIF_TIP | NIF_SHOWTIP);
    icon.uCallbackMessage = callback_;
    icon.hIcon = load_icon();
    copy_text(icon.szTip, tip_);
    // A busy taskbar may time out on an add it then performs: an icon that
    // takes a modify is there.
    if (!Shell_NotifyIconW(NIM_ADD, &icon) && !Shell_NotifyIconW(NIM_MODIFY, &icon)) {
        if (retries_left_ == 0) {
            retries_left_ = kTrayRetries;
            SetTimer(window_, kTrayRetryTimer, kTrayRetryMs, nullptr);
        }
        return false;
    }
    KillTimer(window_, kTrayRetryTimer);
    retries_left_ = 0;
    // Every add needs the version again; it brings NIN_SELECT, NIN_KEYSELECT
    // and WM_CONTEXTMENU with the place to open the menu at.
    NOTIFYICONDATAW version = data(0);
    version.uVersion = NOTIFYICON_VERSION_4;
    Shell_NotifyIconW(NIM_SETVERSION, &version);
    if (introduce_ && !intro_shown()) {
        balloon(L"keyhost is running",
                L"Its icon is in the notification area (behind the ^ arrow when hidden). Click it, or press "
                L"Windows+B and Enter, for the menu.");
        const DWORD shown = 1;
        RegSetKeyValueW(HKEY_CURRENT_USER, kIntroKey, kIntroValue, REG_DWORD, &shown, sizeof shown);
    }
    return true;
}

void TrayIcon::retry()
{
    if (add())
        return;
    if (--retries_left_ <= 0) {
        KillTimer(window_, kTrayRetryTimer);
        retries_left_ = 0;
    }
}

void TrayIcon::remove()
{
    KillTimer(window_, kTrayRetryTimer);
    KillTimer(window_, kTrayTipTimer);
    NOTIFYICONDATAW icon = data(0);
    Shell_NotifyIconW(NIM_DELETE, &icon);
}

void TrayIcon::balloon(const wchar_t* title, const wchar_t* text)
{
    NOTIFYICONDATAW icon = data(NIF_INFO);
    copy_text(icon.szInfoTitle, title);
    copy_text(icon.szInfo, text);
    icon.dwInfoFlags = NIIF_INFO;
    Shell_NotifyIconW(NIM_MODIFY, &icon);
}

bool TrayIcon::on_timer(UINT_PTR id)
{
    if (id == kTrayRetryTimer) {
        retry();
        return true;
    }
    if (id != kTrayTipTimer)
        return false;
    KillTimer(window_, kTrayTipTimer);
    NOTIFYICONDATAW icon = data(NIF_TIP | NIF_SHOWTIP);
    copy_text(icon.szTip, tip_);
    Shell_NotifyIconW(NIM_MODIFY, &icon);
    return true;
}

void TrayIcon::show_volume(int level, bool muted)
{
    const int percent = ((level < 0 ? 0 : level > 0xFFFF ? 0xFFFF : level) * 100 + 0x7FFF) / 0xFFFF;
    wchar_t tip[kTipChars] = {};
    std::swprintf(tip, std::size(tip), L"Multimedia keyboard\nVolume %d %%%ls", percent, muted ? L", muted" : L"");
    if (std::wcscmp(tip, tip_) == 0)
        return;
    copy_text(tip_, tip);
    SetTimer(window_, kTrayTipTimer, kTrayTipMs, nullptr);
}

void TrayIcon::settings_changed()
{
    NOTIFYICONDATAW icon = data(NIF_ICON);
    icon.hIcon = load_icon();
    Shell_NotifyIconW(NIM_MODIFY, &icon);
}

bool tray_wants_menu(WPARAM wparam, LPARAM lparam, POINT& at)
{
    switch (LOWORD(lparam)) {
    case WM_CONTEXTMENU: // right click, the context-menu key, Shift+F10
    case NIN_SELECT:     // left click
    case NIN_KEYSELECT:  // Enter or Space on the focused icon
        at = POINT{GET_X_LPARAM(wparam), GET_Y_LPARAM(wparam)};
        return true;
    default:
        return false;
    }
}

UINT track_tray_menu(HWND window, HMENU menu, POINT at)
{
    // The menu only closes on a click elsewhere when its owner is in the
    // foreground, and only reliably once the owner has seen a message after it.
    SetForegroundWindow(window);
    const UINT align = GetSystemMetrics(SM_MENUDROPALIGNMENT) ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
    const UINT chosen =
        TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_BOTTOMALIGN | align, at.x, at.y, window, nullptr);
    PostMessageW(window, WM_NULL, 0, 0);
    return chosen;
}

} // namespace keyhost
