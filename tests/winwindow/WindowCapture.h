#pragma once
// A window's picture for the README and for looking at a page: PrintWindow into a 32-bit bitmap,
// written as a BMP file.

#include <windows.h>

#include <string>

// The whole window (frame included) into path; false when it could not be drawn or written.
bool SaveWindowPicture(HWND window, const std::wstring& path);
