// An empty DLL for the DLL-search test of setup's start-up.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
