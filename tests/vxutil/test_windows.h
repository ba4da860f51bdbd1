// Helpers for tests that drive real windows: in-process windows of a private
// class, the stand-in program in a second process, and a message pump.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace vxtest {

// Processes pending messages of this thread.
void pump_messages();

// A top-level window of this process, destroyed with the object.
class TestWindow {
public:
    TestWindow(const char* title, DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE, DWORD ex_style = 0,
               HWND owner = nullptr);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND get() const { return window_; }

private:
    HWND window_;
};

// The stand-in program (tools/window_stand_in) started with CreateProcess;
// ended with the object.
class StandIn {
public:
    // `mode`: window, dialog, hidden or none (see the program).
    explicit StandIn(const char* mode, const std::string& arguments = "");
    ~StandIn();
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;
    DWORD pid() const { return info_.dwProcessId; }
    // The first visible top-level window of the process, waiting up to 5 s.
    HWND wait_for_window() const;

private:
    PROCESS_INFORMATION info_{};
};

// Path of the stand-in program beside the test program.
std::string stand_in_path();
// Ends every process whose id is listed (for processes the launchers start).
void end_processes(const std::vector<DWORD>& ids);
// Visible top-level windows of a process.
std::vector<HWND> visible_windows_of(DWORD pid);

} // namespace vxtest
