// Dialog family: the font dialog waits for a person, so tests answer it.
#pragma once
#include <windows.h>
#include <commdlg.h>

namespace vx::osd::platform {

struct DialogSeam {
    BOOL(WINAPI* ChooseFontA)(LPCHOOSEFONTA);
};

DialogSeam& dialogs();

} // namespace vx::osd::platform
