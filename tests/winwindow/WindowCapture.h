#pragma once
// Pictures of the window for the README and for looking at: a window as it is on the screen,
// saved as a PNG file.

#include <windows.h>

#include <string>

// True when the picture was written; the window is brought to the front and redrawn first.
bool SaveWindowPicture(HWND window, const std::string& path);
