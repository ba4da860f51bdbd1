// Paths and texts that may hold any character: keyhost keeps them as UTF-8
// and converts at each call into Windows, which then gets the wide (W) form,
// so a folder outside the system's ANSI code page is never turned into '?'.
#pragma once
#include <string>
#include <string_view>

namespace keyhost {

std::wstring widen(std::string_view utf8);
std::string to_utf8(std::wstring_view wide);
// This program's full path, however long ("" when Windows cannot tell).
std::wstring this_program_path();

} // namespace keyhost
