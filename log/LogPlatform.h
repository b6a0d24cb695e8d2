#pragma once
// The few steps of the log file that each system takes its own way (posix/ and win32/
// LogPlatform.cpp, which also hold CSystemLogEnvironment::ReadStatus).

#include <cstdio>
#include <string>

namespace qvxlog {

// The folder for OUTPUT_TEMP_FOLDER when neither TMP nor TEMP names one, ending in a separator.
std::string DefaultTempFolder();
// Makes one folder; false when it cannot (also when it is there already).
bool MakeFolder(const std::string& path);
// Cuts an open file to nothing; its position is left for the caller to set.
bool CutToNothing(std::FILE* file);
// Gives a file just made again under an old name the creation time now. Windows hands a file made
// within seconds of the removal of another of the same name that file's creation time, which the
// rollover would take for the new file's and roll it over again at once.
void MarkCreatedNow(std::FILE* file);

} // namespace qvxlog
