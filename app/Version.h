#pragma once
// The tool's version: the project's four numbers, as --version prints them and the About box
// shows them.

// "0.1.0.0": major, minor, patch and tweak.
const char* ToolVersion();
