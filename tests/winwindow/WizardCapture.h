#pragma once
// The wizard's pictures for looking at its pages: a window as the screen shows it (PrintWindow
// when the screen cannot be read), written as a BMP file.

#include <windows.h>

#include <string>

// The whole window (frame included) into path; false when it could not be drawn or written.
bool SaveWizardPicture(HWND window, const std::wstring& path);
