#pragma once
// The two steps of putting a finished file in place that each system takes its own way (posix/
// and win32/ FileCommit.cpp). Nothing here throws.

#include <cstdio>
#include <string>

namespace qvxpkg {

// Puts what was written to `file` on the disk: the C library's buffer, then the system's, so that
// a power cut after a rename cannot leave an empty or partial file under the final name.
bool FlushToDisk(std::FILE* file, std::string& reason);

// Renames `from` to `to`, replacing a file of that name in one step (std::rename does not replace
// on Windows). The system's reason on failure.
bool RenameReplacing(const std::string& from, const std::string& to, std::string& reason);

} // namespace qvxpkg
