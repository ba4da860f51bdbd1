#include "core/title_layout.h"

namespace vx::setup {

TitleLines break_title(std::string_view title, int right_edge, const TextWidth& width)
{
    TitleLines lines;
    lines.first = std::string(title);
    if (title.empty() || width(title) + kTitleMargin <= right_edge)
        return lines;

    std::size_t last_cut = 0; // 0: no cut found yet
    for (std::size_t pos = title.size() - 1; pos > 0; --pos) {
        if (title[pos] != ' ' || title[pos - 1] == ' ')
            continue;
        last_cut = pos;
        if (width(title.substr(0, pos)) + kTitleMargin > right_edge)
            continue;
        std::size_t rest = pos;
        while (rest < title.size() && title[rest] == ' ')
            ++rest;
        lines.first = std::string(title.substr(0, pos));
        lines.second = std::string(title.substr(rest));
        lines.two_lines = true;
        return lines;
    }
    if (last_cut != 0)
        lines.first = std::string(title.substr(0, last_cut));
    return lines;
}

} // namespace vx::setup
