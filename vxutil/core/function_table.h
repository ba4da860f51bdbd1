// The predefined key functions: 37 rows of HID usage code, fixed name,
// description string id and handlers, searched front to back. Handlers are
// named by an enumeration here and bound to the exports on the Windows side,
// so the table and its lookups stay portable (no Windows header).
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vx::functions {

enum class Handler : std::uint8_t {
    None,
    CloseCurrentWindow,
    SwitchNextWindow,
    ActivateScreenSaver,
    CdStop,
    CdPrevTrack,
    CdNextTrack,
    CdPlay,
    CdPause,
    CdPlayPause,
    ToggleMute,
    StartVolumeIncrease,
    StopVolumeIncrease,
    StartVolumeDecrease,
    StopVolumeDecrease,
    LaunchMail,
    OpenHomePage,
    LaunchCalculator,
    LaunchHelp,
    LaunchMyDocuments,
    LaunchCdPlayer,
    LockComputer,
    LaunchWord,
    LaunchExcel,
    Count,
};

// A handler taking the event type, run for an event whose own handler is
// absent. No row of the predefined table has one; dispatch runs it when a
// row does.
using DefaultHandler = int (*)(int type);

struct Row {
    std::uint32_t code;
    const char* name;
    std::uint32_t description;
    DefaultHandler fallback;
    Handler press;   // event type 1
    Handler type2;   // event type 2
    Handler release; // event type 0
};

inline constexpr std::size_t kRowCount = 37;
const std::array<Row, kRowCount>& rows();

// Case-insensitive name lookup (ASCII folding; the names are ASCII).
const Row* find_by_name(std::string_view name);
// First row with this usage code; never matches code 0.
const Row* find_by_code(std::uint32_t code);
// The row at `index`, or null outside 0..36.
const Row* row_at(int index);

// Which handler an event type selects: its own handler when present, else
// the default handler, else none.
struct Pick {
    Handler handler = Handler::None;
    DefaultHandler fallback = nullptr;
    bool found() const { return handler != Handler::None || fallback != nullptr; }
};
Pick pick(const Row& row, int type);

} // namespace vx::functions
