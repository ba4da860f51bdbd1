// The notification-area icon: keyhost's own picture (the high-contrast one
// while a high-contrast theme is on), NOTIFYICON_VERSION_4 behaviour and a
// tooltip with the volume. An icon that could not be added (the taskbar is
// not up yet at logon, or is busy) is retried once a second; Explorer's
// "TaskbarCreated" broadcast after a restart adds it again. The first time
// keyhost ever shows its icon, a balloon says where it is.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <cstddef>

namespace keyhost {

inline constexpr UINT_PTR kTrayRetryTimer = 2;
inline constexpr UINT kTrayRetryMs = 1000;
inline constexpr int kTrayRetries = 300;
// The tooltip follows the volume a moment later, off the key's path: each
// change of the icon is a message to Explorer that waits for its answer.
inline constexpr UINT_PTR kTrayTipTimer = 4;
inline constexpr UINT kTrayTipMs = 250;
// Icon resources (keyhost/res/keyhost_icons.rc).
inline constexpr WORD kIconKeyhost = 1;
inline constexpr WORD kIconKeyhostHighContrast = 2;

class TrayIcon {
public:
    // `introduce`: the first start's balloon may be shown (a scripted
    // session leaves it for the person's own first start).
    void attach(HWND window, UINT callback_message, bool introduce = true);
    // Adds the icon, or arms the retry; true when it is shown.
    bool add();
    // Handles the icon's own timers; false for any other timer.
    bool on_timer(UINT_PTR id);
    void remove();
    void balloon(const wchar_t* title, const wchar_t* text);
    // The tooltip: the volume (of 0xFFFF) in percent and whether it is muted.
    void show_volume(int level, bool muted);
    // A system setting changed: the high-contrast picture may be due.
    void settings_changed();
    UINT taskbar_created() const { return taskbar_created_; }

private:
    NOTIFYICONDATAW data(UINT flags) const;
    void retry();
    HICON load_icon() const;

    HWND window_ = nullptr;
    UINT callback_ = 0;
    UINT taskbar_created_ = 0;
    bool introduce_ = true;
    int retries_left_ = 0;
    static constexpr std::size_t kTipChars = 128; // NOTIFYICONDATAW::szTip
    wchar_t tip_[kTipChars] = L"Multimedia keyboard";
};

// The command a notification of the icon asks for: true for the menu (a
// right or left click, Enter, the context-menu key), with where to open it.
bool tray_wants_menu(WPARAM wparam, LPARAM lparam, POINT& at);
// Runs `menu` at `at` for `window` and returns the chosen command (0 when
// none); the menu closes properly when the user clicks elsewhere.
UINT track_tray_menu(HWND window, HMENU menu, POINT at);

} // namespace keyhost
