#pragma once
// Whole-file reads and writes for firmware packages and images, and the path rules package names
// follow. Nothing here throws: failures come back as codes with a reason text.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qvxpkg {

// No firmware image is anywhere near this; a header or file claiming more is refused before any
// allocation, so a hostile size cannot exhaust memory.
inline constexpr std::size_t kMaxImageBytes = std::size_t{64} << 20;
// The largest package file worth reading: an incompressible image at the cap, the zlib overhead,
// the padding and a generous name.
inline constexpr std::size_t kMaxPackageBytes = kMaxImageBytes + (kMaxImageBytes >> 10) + (std::size_t{64} << 10);

enum class FileStatus { Ok, NoMemory, OpenFailed, ReadFailed, TooLarge };

// Reads the whole file into bytes (replacing them); refuses files longer than limit.
FileStatus ReadWholeFile(const std::string& path, std::size_t limit, std::vector<unsigned char>& bytes,
                         std::string& fault);

// Writes the pieces, in order, to a temporary file beside path (path + ".part"), puts it on disk
// and renames it over path, so a failed write never leaves a partial file under the final name.
FileStatus WriteFileReplacing(const std::string& path, std::span<const std::span<const unsigned char>> pieces,
                              std::string& fault);

// True for the characters that end a folder in a path: '\\' and ':' everywhere, '/' on POSIX.
bool IsPathSeparator(char c);
// The file name: the text after the last separator.
std::string_view FileNameOf(std::string_view path);
// The folder: the text up to and including the last separator (empty for a bare name).
std::string_view FolderOf(std::string_view path);

// Text from a file as it may be shown in a message: bytes outside printable ASCII as \xNN.
std::string Printable(std::string_view text);

} // namespace qvxpkg
