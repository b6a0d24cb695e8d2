#pragma once
// The tool's one debug-output channel: OutputDebugStringA on Windows; on POSIX standard error, only
// while the environment variable QVX_DEBUG is set to something other than "" or "0" (silent
// otherwise, as on Windows with no debugger attached). The protocol library carries its own copy.

#include <string_view>

void DebugOutput(std::string_view text);

// Whether anything written now would be seen. Cheap enough to ask per frame: QVX_DEBUG is read once
// per process.
bool DebugOutputEnabled();

// Makes the next DebugOutputEnabled read QVX_DEBUG again, for tests that change it in-process.
void RereadDebugOutputSetting();
