// Saves the whole screen as a 24-bit BMP file.
#pragma once
#include <string>

namespace keyhost {

bool save_screen_bmp(const std::string& path);

} // namespace keyhost
