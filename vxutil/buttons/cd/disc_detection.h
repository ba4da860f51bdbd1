// Which optical drive holds what kind of disc, and whether it plays.
#pragma once
#include <string>
#include <vector>

#include "core/disc_rules.h"

namespace vx::disc {

// Roots ("E:\") of the CD-ROM drives in the order Windows lists them.
std::vector<std::string> cdrom_roots();
// The kind of the disc in one drive root.
Kind classify_root(const std::string& root);
// The drive the CD keys act on and its disc kind (kNoDrive and "" without
// any CD-ROM drive).
Choice choose_drive();

// The play flag with the last kind and check time, shared with the keys.
PlayState& play_state();

} // namespace vx::disc
