// Program launchers behind the Launch* exports (declared in vxutil.h).
#pragma once

namespace vx::launchers {

// Forgets the remembered mail client process and the own-window cache.
void reset_for_tests();

} // namespace vx::launchers
