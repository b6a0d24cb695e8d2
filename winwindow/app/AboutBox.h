#pragma once
// The About box: the program's icon, "QVXFirmInstaller-- Version " and the program's version,
// two lines on what the tool is for, and OK.

#include <windows.h>

#include <string>

std::string AboutVersionLine();
void RunAboutBox(HWND owner);
