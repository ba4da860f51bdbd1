// Lists what the display announces to assistive technology: each alert
// event (EVENT_SYSTEM_ALERT) raised in this process is read back through its
// accessible object's name, as a screen reader reads it, and handed on.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace keyhost {

class AnnouncementLog {
public:
    ~AnnouncementLog() { stop(); }
    // `said` gets each announcement's text (UTF-8); one listener per process.
    bool start(std::function<void(const std::string&)> said);
    void stop();

private:
    static void CALLBACK on_alert(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD);

    HWINEVENTHOOK hook_ = nullptr;
    bool com_ = false;
};

} // namespace keyhost
