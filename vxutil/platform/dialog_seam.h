// Dialog family: message boxes, beeps and the font dialog wait for a person
// (or make noise), so tests replace them.
#pragma once
#include <windows.h>
#include <commdlg.h>

namespace vx::platform {

struct DialogSeam {
    int(WINAPI* MessageBoxA)(HWND, LPCSTR, LPCSTR, UINT);
    BOOL(WINAPI* MessageBeep)(UINT);
    BOOL(WINAPI* ChooseFontA)(LPCHOOSEFONTA);
};

DialogSeam& dialogs();

} // namespace vx::platform
