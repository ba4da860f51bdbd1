#include "tray_icon.h"

#include <shellapi.h>

namespace keyhost {

void TrayIcon::attach(HWND window, UINT callback_message)
{
    window_ = window;
    callback_ = callback_message;
    taskbar_created_ = RegisterWindowMessageA("TaskbarCreated");
}

NOTIFYICONDATAA TrayIcon::data(UINT flags) const
{
    NOTIFYICONDATAA icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = window_;
    icon.uID = 1;
    icon.uFlags = flags;
    return icon;
}

bool TrayIcon::add()
{
    NOTIFYICONDATAA icon = data(NIF_ICON | NIF_MESSAGE | NIF_TIP);
    icon.uCallbackMessage = callback_;
    icon.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    lstrcpynA(icon.szTip, "Multimedia keyboard", sizeof icon.szTip);
    // A busy taskbar may time out on an add it then performs: an icon that
    // takes a modify is there.
    if (Shell_NotifyIconA(NIM_ADD, &icon) || Shell_NotifyIconA(NIM_MODIFY, &icon)) {
        KillTimer(window_, kTrayRetryTimer);
        retries_left_ = 0;
        return true;
    }
    if (retries_left_ == 0) {
        retries_left_ = kTrayRetries;
        SetTimer(window_, kTrayRetryTimer, kTrayRetryMs, nullptr);
    }
    return false;
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
    NOTIFYICONDATAA icon = data(0);
    Shell_NotifyIconA(NIM_DELETE, &icon);
}

void TrayIcon::balloon(const char* title, const char* text)
{
    NOTIFYICONDATAA icon = data(NIF_INFO);
    lstrcpynA(icon.szInfoTitle, title, sizeof icon.szInfoTitle);
    lstrcpynA(icon.szInfo, text, sizeof icon.szInfo);
    icon.dwInfoFlags = NIIF_INFO;
    Shell_NotifyIconA(NIM_MODIFY, &icon);
}

UINT track_tray_menu(HWND window, HMENU menu)
{
    POINT at;
    GetCursorPos(&at);
    // The menu only closes on a click elsewhere when its owner is in the
    // foreground, and only reliably once the owner has seen a message after it.
    SetForegroundWindow(window);
    const UINT chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr);
    PostMessageA(window, WM_NULL, 0, 0);
    return chosen;
}

} // namespace keyhost
