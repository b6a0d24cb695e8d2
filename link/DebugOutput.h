#pragma once
// The tool's one debug-output channel: OutputDebugStringA on Windows; on POSIX standard error, only
// while the environment variable QVX_DEBUG is set (silent otherwise, as on Windows with no debugger
// attached).

#include <string_view>

void DebugOutput(std::string_view text);

// Whether anything written now would be seen.
bool DebugOutputEnabled();
