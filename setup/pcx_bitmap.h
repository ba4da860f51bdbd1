// PCX logo pictures as GDI objects: a device-dependent bitmap and a logical
// palette made from a file, palette realisation and bitmap drawing.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

namespace vx::setup {

// Largest file the loader reads into memory.
inline constexpr DWORD kPcxMaxFileBytes = 128u * 1024u * 1024u;

// The whole file, or empty when it cannot be read, is too large or does not
// start with the PCX marker byte 10.
std::vector<std::uint8_t> read_pcx_file(const char* path);

HBITMAP LoadPcxBitmap(const char* path);
HPALETTE LoadPcxPalette(HWND window, const char* path);
HPALETTE MakePcxPalette(const std::uint8_t* image, DWORD length);
HBITMAP DecodePcxBitmap(const std::uint8_t* image, HPALETTE palette, DWORD length);
void DrawBitmap(HDC dc, HBITMAP bitmap, int x, int y);
void RealizeWindowPalette(HWND window, HPALETTE palette);

} // namespace vx::setup
