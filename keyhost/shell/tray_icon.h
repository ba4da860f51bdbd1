// The notification-area icon. An icon that could not be added (the taskbar
// is not up yet at logon, or is busy) is retried once a second; Explorer's
// "TaskbarCreated" broadcast after a restart adds it again.
#pragma once
#include <windows.h>
#include <shellapi.h>

namespace keyhost {

inline constexpr UINT_PTR kTrayRetryTimer = 2;
inline constexpr UINT kTrayRetryMs = 1000;
inline constexpr int kTrayRetries = 300;

class TrayIcon {
public:
    void attach(HWND window, UINT callback_message);
    // Adds the icon, or arms the retry; true when it is shown.
    bool add();
    // The retry timer fired.
    void retry();
    void remove();
    void balloon(const char* title, const char* text);
    UINT taskbar_created() const { return taskbar_created_; }

private:
    NOTIFYICONDATAA data(UINT flags) const;

    HWND window_ = nullptr;
    UINT callback_ = 0;
    UINT taskbar_created_ = 0;
    int retries_left_ = 0;
};

// Runs `menu` at the pointer for `window` and returns the chosen command
// (0 when none); the menu closes properly when the user clicks elsewhere.
UINT track_tray_menu(HWND window, HMENU menu);

} // namespace keyhost
