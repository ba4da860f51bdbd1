// "Start with Windows": the value "VXKeyHost" of the per-user Run key, naming
// this program, and the Startup apps switch that Task Manager and Settings
// keep for it (the value of the same name under Explorer\StartupApproved\Run).
#pragma once

namespace keyhost {

enum class Autostart {
    Off,               // no Run value
    On,                // the Run value names this program and Windows may start it
    OtherCopy,         // the Run value names another program (a moved or second copy)
    DisabledByWindows, // names this program, but the user switched it off in Windows
};

Autostart autostart_state();
// True when Windows will start this program at the next logon.
inline bool autostart_enabled() { return autostart_state() == Autostart::On; }
// On: writes the Run value naming this program and marks it enabled for
// Windows; off: removes both. True when the registry now says what was asked.
bool set_autostart(bool on);

} // namespace keyhost
