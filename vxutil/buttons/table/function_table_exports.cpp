// The exports over the predefined function table: enumeration, name,
// description and usage-code translation, and running a row's handler for a
// key event. Descriptions come from the library's string table in the
// calling thread's language.
#include <windows.h>

#include <cstring>

#include "core/function_table.h"
#include "buttons/table/function_table_handlers.h"
#include "services/resource_strings.h"
#include "core/text_fields.h"
#include "export_guard.h"
#include "vxutil.h"

namespace vx::functions {
namespace {

constexpr int kDescriptionBuffer = MAX_PATH;

int load_description(const Row& row, char* buffer, int size)
{
    if (row.description == 0 || !buffer || size <= 0)
        return 0;
    return vx::load_string(row.description, buffer, size);
}

// Runs the row's handler for the event type; `ran` tells whether one applied.
int run(const Row& row, int type, bool& ran)
{
    const Pick chosen = pick(row, type);
    ran = chosen.found();
    if (chosen.handler != Handler::None) {
        const auto fn = handler_slots()[static_cast<std::size_t>(chosen.handler)];
        return fn ? fn() : 0;
    }
    return chosen.fallback ? chosen.fallback(type) : 0;
}

} // namespace
} // namespace vx::functions

using namespace vx::functions;

extern "C" int WINAPI EnumPredefinedFunction(int index, char* buffer, int size)
{
    return vx::guarded<int>(0, [&]() -> int {
        const Row* row = row_at(index);
        return row ? load_description(*row, buffer, size) : 0;
    });
}

extern "C" int WINAPI GetFuncNameFromFuncDescName(const char* description, char* name, int size)
{
    return vx::guarded<int>(0, [&]() -> int {
        if (!description || !name || size <= 0)
            return 0;
        for (const Row& row : rows()) {
            char text[kDescriptionBuffer] = {};
            if (load_description(row, text, sizeof text) <= 0 || lstrcmpiA(text, description) != 0)
                continue;
            // A name that does not fit is passed over; a later row may still match.
            if (std::strlen(row.name) >= static_cast<std::size_t>(size))
                continue;
            vx::text::copy_text(name, static_cast<std::size_t>(size), row.name);
            return 1;
        }
        return 0;
    });
}

extern "C" int WINAPI GetFuncDescNameFromFuncName(const char* name, char* buffer, int size)
{
    return vx::guarded<int>(0, [&]() -> int {
        const Row* row = name ? find_by_name(name) : nullptr;
        return row ? load_description(*row, buffer, size) : 0;
    });
}

extern "C" int WINAPI CallPredefinedButtonFunction(const char* name, int type)
{
    const Row* row = name ? find_by_name(name) : nullptr;
    if (!row)
        return 0;
    bool ran = false;
    return run(*row, type, ran);
}

extern "C" int WINAPI GetHIDFuncName(unsigned code, char* name, int size)
{
    const Row* row = find_by_code(code);
    if (!row)
        return 0;
    if (!name)
        return 1;
    if (size <= 0 || std::strlen(row->name) >= static_cast<std::size_t>(size))
        return 0;
    vx::text::copy_text(name, static_cast<std::size_t>(size), row->name);
    return 1;
}

extern "C" int WINAPI GetHIDFuncDesc(unsigned code, char* buffer, int size)
{
    return vx::guarded<int>(0, [&]() -> int {
        const Row* row = find_by_code(code);
        if (!row)
            return 0;
        if (!buffer)
            return 1;
        return load_description(*row, buffer, size);
    });
}

extern "C" unsigned WINAPI GetHIDUsageCode(const char* name)
{
    const Row* row = name ? find_by_name(name) : nullptr;
    return row ? row->code : 0;
}

extern "C" int WINAPI CallHIDButtonFunction(unsigned code, int type, int* result)
{
    if (code == 0)
        return 0;
    const Row* row = find_by_code(code);
    if (!row) {
        if (result)
            *result = 0;
        return 0;
    }
    bool ran = false;
    const int value = run(*row, type, ran);
    if (result)
        *result = ran ? value : 0;
    // A known key without a handler for this event is still handled.
    return ran ? (value == 1 ? 1 : 0) : 1;
}

// How long SendAppCommand waits for the window's answer.
constexpr UINT kAppCommandReplyMs = 1000;

extern "C" int WINAPI SendAppCommand(HWND window, int command)
{
    const LPARAM lparam = static_cast<LPARAM>((static_cast<unsigned>(command) & 0xFFu) << 16);
    // The window is usually another program's; one that does not answer
    // within a second must not hold the host's key thread.
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(window, WM_APPCOMMAND, reinterpret_cast<WPARAM>(window), lparam,
                             SMTO_NORMAL | SMTO_ABORTIFHUNG, kAppCommandReplyMs, &answer))
        return 0;
    return static_cast<int>(answer);
}
