#include "display_settings.h"

#include "vxosd.h"
#include "vxutil.h"

namespace keyhost {
namespace {

constexpr char kSection[] = "OSD";
constexpr struct {
    const char* name;
    int value;
} kDefaults[] = {{kMonitorSetting, 1}, {kFullScreenSetting, 1}, {kAnnounceSetting, 1}};

} // namespace

void write_display_defaults()
{
    for (const auto& setting : kDefaults) {
        int value = 0;
        if (!Reg_GetProfileNumber(kSection, setting.name, &value, 0))
            Reg_SetProfileNumber(kSection, setting.name, setting.value);
    }
}

int display_setting(const char* name)
{
    int value = 0;
    Reg_GetProfileNumber(kSection, name, &value, 0);
    return value;
}

void change_display_setting(const char* name, int value)
{
    Reg_SetProfileNumber(kSection, name, value);
    OSD_LoadSettings();
}

} // namespace keyhost
