#pragma once
// Files read and written whole: controller files, display lists, firmware images and packages,
// the job report. Nothing here throws; a failure comes back with a text that names the file or
// the step and gives the system's own reason (errno, GetLastError).

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qvxbase {

enum class FileStatus { Ok, NoMemory, OpenFailed, ReadFailed, TooLarge };

// Reads the whole regular file at `path` into `bytes`; one longer than `limit` is refused before
// anything is allocated for it. A folder, a FIFO or a device is refused without opening it (a FIFO
// would block the open, a device might never end). On failure `bytes` is left as it was.
FileStatus ReadWholeFile(const std::string& path, std::size_t limit, std::vector<unsigned char>& bytes,
                         std::string& fault);
FileStatus ReadWholeFile(const std::string& path, std::size_t limit, std::string& bytes, std::string& fault);

// Replaces the file at `path` whole, so that a reader sees the old file or the whole new one,
// never a part (posix/ and win32/ ReplaceFile.cpp): the pieces, in order, go into a new file beside
// `path` whose name no other writer uses, are flushed to disk, and the file is renamed over `path`;
// on Linux the folder is then synced so the rename itself survives a power cut. On failure the
// temporary file is gone, an existing file is untouched, and `fault` names the step that failed
// and the system's reason.
bool ReplaceFileAtomically(const std::string& path, std::span<const std::span<const unsigned char>> pieces,
                           std::string& fault);
bool ReplaceFileAtomically(const std::string& path, std::string_view text, std::string& fault);

} // namespace qvxbase
