// The notification icon's menu and the commands it runs (WM_COMMAND with a
// menu id runs them too).
#include "host.h"
#include "shell/autostart.h"
#include "shell/display_settings.h"
#include "shell/tray_icon.h"
#include "vxosd.h"

namespace keyhost {

void Host::show_menu(POINT at)
{
    // Enter on the icon comes twice, and the menu's own loop delivers the
    // second: one menu at a time.
    if (menu_open_)
        return;
    const int monitor = display_setting(kMonitorSetting);
    auto check = [](bool on) { return static_cast<UINT>(on ? MF_CHECKED : MF_UNCHECKED); };
    HMENU display = CreatePopupMenu();
    AppendMenuA(display, MF_STRING | check(monitor == 0), kMenuMonitorPrimary, "On the primary monitor");
    AppendMenuA(display, MF_STRING | check(monitor == 1), kMenuMonitorActive, "On the monitor of the active window");
    AppendMenuA(display, MF_STRING | check(monitor == 2), kMenuMonitorPointer, "On the monitor under the pointer");
    AppendMenuA(display, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(display, MF_STRING | check(display_setting(kFullScreenSetting) == 1), kMenuFullScreen,
                "Hide over full-screen programs");
    AppendMenuA(display, MF_STRING | check(display_setting(kAnnounceSetting) == 1), kMenuAnnounce,
                "Announce to screen readers");
    AppendMenuA(display, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(display, MF_STRING, kMenuFont, "Font and colour...");

    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING | check(autostart_enabled()), kMenuAutostart, "Start with Windows");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(display), "On-screen display");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, kMenuExit, "Exit");
    menu_open_ = true;
    const UINT chosen = track_tray_menu(window_, menu, at);
    menu_open_ = false;
    DestroyMenu(menu); // and the submenu with it
    if (chosen)
        on_command(chosen);
}

// The settings and the font dialog are VXOSD's, so they change on the action
// thread; the menu and the autostart entry stay here.
void Host::on_command(UINT command)
{
    const auto toggle = [this](const char* name) {
        action_thread_.post([name] { change_display_setting(name, display_setting(name) == 1 ? 0 : 1); });
    };
    switch (command) {
    case kMenuAutostart: {
        const bool on = !autostart_enabled();
        log("menu    start with Windows %s: %s", on ? "on" : "off", set_autostart(on) ? "done" : "FAILED");
        break;
    }
    case kMenuFont:
        action_thread_.post([] {
            if (OSD_SelectFont(nullptr))
                OSD_SaveSettings();
        });
        break;
    case kMenuMonitorPrimary:
    case kMenuMonitorActive:
    case kMenuMonitorPointer:
        action_thread_.post([command] {
            change_display_setting(kMonitorSetting, static_cast<int>(command - kMenuMonitorPrimary));
        });
        break;
    case kMenuFullScreen:
        toggle(kFullScreenSetting);
        break;
    case kMenuAnnounce:
        toggle(kAnnounceSetting);
        break;
    case kMenuExit:
        DestroyWindow(window_);
        break;
    default:
        break;
    }
}

} // namespace keyhost
