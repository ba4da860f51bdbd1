#include "buttons/table/function_table_handlers.h"

#include "buttons/volume/mixer.h"
#include "vxutil.h"

namespace vx::functions {

HandlerSlots& handler_slots()
{
    static HandlerSlots slots = [] {
        HandlerSlots s{};
        auto set = [&s](Handler h, HandlerFn fn) { s[static_cast<std::size_t>(h)] = fn; };
        set(Handler::CloseCurrentWindow, CloseCurrentWindow);
        set(Handler::SwitchNextWindow, SwitchNextWindow);
        set(Handler::ActivateScreenSaver, ActivateScreenSaver);
        set(Handler::CdStop, CD_Stop);
        set(Handler::CdPrevTrack, CD_PrevTrack);
        set(Handler::CdNextTrack, CD_NextTrack);
        set(Handler::CdPlay, CD_Play);
        set(Handler::CdPause, CD_Pause);
        set(Handler::CdPlayPause, CD_PlayPause);
        // The row reports 1 when the mute state toggled, as every handled key
        // does; the export's MMRESULT (0 = success) would read as "not handled".
        set(Handler::ToggleMute, vx::mixer::toggle_mute_key);
        set(Handler::StartVolumeIncrease, Mixer_StartVolumeIncrease);
        set(Handler::StopVolumeIncrease, Mixer_StopVolumeIncrease);
        set(Handler::StartVolumeDecrease, Mixer_StartVolumeDecrease);
        set(Handler::StopVolumeDecrease, Mixer_StopVolumeDecrease);
        set(Handler::LaunchMail, LaunchDefaultMailProgram);
        set(Handler::OpenHomePage, OpenWWWHomePage);
        set(Handler::LaunchCalculator, LaunchCalculator);
        set(Handler::LaunchHelp, LaunchSystemHelp);
        set(Handler::LaunchMyDocuments, LaunchMyDocuments);
        set(Handler::LaunchCdPlayer, LaunchCDPlayer);
        set(Handler::LockComputer, LockComputer);
        set(Handler::LaunchWord, LaunchWord);
        set(Handler::LaunchExcel, LaunchExcel);
        return s;
    }();
    return slots;
}

} // namespace vx::functions
