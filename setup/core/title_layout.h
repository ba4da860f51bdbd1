// Line breaking of the setup title in the title band: at most one break, at
// a blank, measured by a caller-supplied text-width function. No Windows
// header.
#pragma once
#include <functional>
#include <string>
#include <string_view>

namespace vx::setup {

inline constexpr int kTitleMargin = 15;

struct TitleLines {
    std::string first;
    std::string second; // empty when the title is drawn on one line
    bool two_lines = false;
};

using TextWidth = std::function<int(std::string_view)>;

// Breaks title for a band whose right edge is right_edge. A title that fits
// (width + margin within the edge) stays whole. Otherwise the cut moves left
// from the end to each blank whose left neighbour is not a blank, until the
// part left of it fits; the rest after the cut, leading blanks skipped, is
// the second line and is not measured. If no part fits, the part left of the
// leftmost cut is drawn alone; a title without such a blank stays whole.
TitleLines break_title(std::string_view title, int right_edge, const TextWidth& width);

} // namespace vx::setup
