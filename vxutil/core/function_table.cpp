#include "core/function_table.h"

namespace vx::functions {
namespace {

using H = Handler;

constexpr Row press(std::uint32_t code, const char* name, std::uint32_t description, Handler on_press,
                    Handler on_release = H::None)
{
    return {code, name, description, nullptr, on_press, H::None, on_release};
}

constexpr std::array<Row, kRowCount> kRows = {{
    press(0x0203, "Close Window", 1, H::CloseCurrentWindow),
    press(0, "Next Window", 2, H::SwitchNextWindow),
    press(0, "Screen Saver", 3, H::ActivateScreenSaver),
    press(0x00B7, "CD Stop", 5, H::CdStop),
    press(0x00B6, "Previous Track", 6, H::CdPrevTrack),
    press(0x00B5, "Next Track", 7, H::CdNextTrack),
    press(0x00B0, "CD Play", 8, H::CdPlay),
    press(0x00B1, "CD Pause", 9, H::CdPause),
    press(0x00CD, "CD Play/Pause", 10, H::CdPlayPause),
    press(0x00E2, "Mute", 12, H::ToggleMute),
    press(0x00E9, "Volume Up", 21, H::StartVolumeIncrease, H::StopVolumeIncrease),
    press(0x00EA, "Volume Down", 22, H::StartVolumeDecrease, H::StopVolumeDecrease),
    press(0x018A, "Email", 20, H::LaunchMail),
    press(0x0223, "WWW", 23, H::OpenHomePage),
    press(0x0192, "Calculator", 4, H::LaunchCalculator),
    press(0x0095, "Help", 39, H::LaunchHelp),
    press(0x8001, "My Documents", 30006, H::LaunchMyDocuments),
    press(0x022A, "My Favorites", 28, H::None),
    press(0x0221, "Search", 31, H::None),
    press(0x0181, "Display", 24, H::None),
    press(0x0224, "App Back", 25, H::None),
    press(0x0225, "App Forward", 26, H::None),
    press(0x8101, "AUX1", 0, H::None),
    press(0x8102, "AUX2", 0, H::None),
    press(0x8103, "AUX3", 0, H::None),
    press(0x8104, "AUX4", 0, H::None),
    press(0x8105, "AUX5", 0, H::None),
    press(0x8106, "AUX6", 0, H::None),
    press(0x8107, "AUX7", 0, H::None),
    press(0x8108, "AUX8", 0, H::None),
    press(0x8109, "AUX9", 0, H::None),
    press(0x0030, "Power", 53, H::None),
    press(0x0032, "Sleep", 54, H::None),
    press(0x0091, "Media Select", 55, H::LaunchCdPlayer),
    press(0x8002, "Lock Desktop", 63, H::LockComputer),
    press(0x8003, "Word", 64, H::LaunchWord),
    press(0x8004, "Excel", 65, H::LaunchExcel),
}};

char fold(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool same_name(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (fold(a[i]) != fold(b[i]))
            return false;
    }
    return true;
}

} // namespace

const std::array<Row, kRowCount>& rows() { return kRows; }

const Row* find_by_name(std::string_view name)
{
    for (const Row& row : kRows) {
        if (same_name(row.name, name))
            return &row;
    }
    return nullptr;
}

const Row* find_by_code(std::uint32_t code)
{
    if (code == 0)
        return nullptr;
    for (const Row& row : kRows) {
        if (row.code == code)
            return &row;
    }
    return nullptr;
}

const Row* row_at(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= kRowCount)
        return nullptr;
    return &kRows[static_cast<std::size_t>(index)];
}

Pick pick(const Row& row, int type)
{
    Handler own = Handler::None;
    switch (type) {
    case 1:
        own = row.press;
        break;
    case 0:
        own = row.release;
        break;
    case 2:
        own = row.type2;
        break;
    default:
        break;
    }
    if (own != Handler::None)
        return {own, nullptr};
    return {Handler::None, row.fallback};
}

} // namespace vx::functions
