#include "app/TerminalJobView.h"

#include <windows.h>

bool StandardErrorIsTerminal()
{
    // Only a console has a mode; a file or a pipe (a scheduler's capture) does not. The C library's
    // _isatty would also call the NUL device a terminal.
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}
