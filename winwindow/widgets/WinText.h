#pragma once
// Texts between the tool and the window's controls: the tool's texts are single-byte (ISO 8859-1,
// the degree sign of a temperature included); the controls take UTF-16. A character a single byte
// cannot hold becomes '?'.

#include <windows.h>

#include <string>
#include <string_view>

std::wstring WideText(std::string_view text);
std::string ToolTextOf(std::wstring_view text);

// The text of a window or of a dialog's control.
std::string WindowTextOf(HWND window);
void SetWindowTextTo(HWND window, std::string_view text);
std::string ItemText(HWND dialog, int id);
void SetItemText(HWND dialog, int id, std::string_view text);
