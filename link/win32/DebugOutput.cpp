#include "link/DebugOutput.h"

#include "link/win32/WinHandle.h"

#include <string>

bool DebugOutputEnabled()
{
    // Asked each time: a debugger can attach while the program runs.
    return DebugOutputRequested() || IsDebuggerPresent() != FALSE;
}

void DebugOutput(std::string_view text)
{
    if (!DebugOutputEnabled())
        return;
    std::string line;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::size_t length = end == std::string_view::npos ? text.size() : end + 1;
        line.assign(text.substr(0, length));
        OutputDebugStringA(line.c_str());
        text.remove_prefix(length);
    }
}
