#pragma once
// The tool's one debug-output channel. It is on while the environment variable QVX_DEBUG is set to
// something other than "" or "0", and on Windows also while a debugger is attached. It goes to
// standard error on POSIX, and on Windows to OutputDebugStringA, one call per line (a debugger
// shows each call as one entry). The protocol library carries its own copy.

#include <string_view>

void DebugOutput(std::string_view text);

// Whether anything written now would be seen. Cheap enough to ask per frame: QVX_DEBUG is read once
// per process.
bool DebugOutputEnabled();

// Whether QVX_DEBUG asks for debug output (read once per process, the platforms' common part).
bool DebugOutputRequested();

// Makes the next DebugOutputEnabled read QVX_DEBUG again, for tests that change it in-process.
void RereadDebugOutputSetting();
