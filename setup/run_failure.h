// Why a run of setup stops early: the Windows error that becomes the exit
// code, the message of the program's string table and the path or program it
// names. setup never reports success for an installation it could not run.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "core/fixed_text.h"

namespace vx::setup {

struct RunFailure {
    DWORD code = 0;       // 0: no failure
    UINT text_id = 0;     // string of the program's table
    std::wstring subject; // folder, path or program named below the text
    explicit operator bool() const { return code != 0; }
};

// True when a path fits a MAX_PATH buffer with its terminator, as every path
// handed to the ANSI file and process functions must.
inline bool path_fits(std::string_view path) { return path.size() < kTextCapacity; }

// ERROR_FILENAME_EXCED_RANGE with the long-path message naming path.
RunFailure path_too_long(std::string_view path);

// A program that did not start: the error CreateProcessA left, never one
// that deployment tools read as success (0, 3010, 1641).
RunFailure program_not_started(std::string_view program, DWORD error);

// Shows the failure's message unless silent; returns its code.
int report_failure(const RunFailure& failure, bool silent);

// Text of the ANSI code page as UTF-16.
std::wstring ansi_to_wide(std::string_view text);

} // namespace vx::setup
