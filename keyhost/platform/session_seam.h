// Session family: a copy of another integrity level, whose mutex this copy
// may not open, cannot be made under Wine, so tests stand in for it here.
#pragma once
#include <windows.h>

namespace keyhost::platform {

struct SessionSeam {
    HANDLE(WINAPI* CreateMutexA)(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR);
};

SessionSeam& session();

} // namespace keyhost::platform
