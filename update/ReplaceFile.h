#pragma once
// Replacing a file whole, so that a reader sees the old file or the whole new one, never a part
// (posix/ and win32/ ReplaceFile.cpp).

#include <string>

// `text` into a new file beside `path`, flushed to disk, then renamed over `path`. On failure the
// temporary file is gone, an existing file is untouched, and `fault` names the step that failed
// and the system's reason.
bool ReplaceFileAtomically(const std::string& path, const std::string& text, std::string& fault);
