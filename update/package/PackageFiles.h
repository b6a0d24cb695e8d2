#pragma once
// The size limits of firmware images and packages, and how text from a file is shown in a
// message. The files themselves are read and replaced whole with base/WholeFile.h; the names a
// package stores are cut from paths by base/PathText.h (PathReading::StoredName).

#include <cstddef>
#include <string>
#include <string_view>

namespace qvxpkg {

// No firmware image is anywhere near this; a header or file claiming more is refused before any
// allocation, so a hostile size cannot exhaust memory.
inline constexpr std::size_t kMaxImageBytes = std::size_t{64} << 20;
// The largest package file worth reading: an incompressible image at the cap, the zlib overhead,
// the padding and a generous name.
inline constexpr std::size_t kMaxPackageBytes = kMaxImageBytes + (kMaxImageBytes >> 10) + (std::size_t{64} << 10);

// Text from a file as it may be shown in a message: bytes outside printable ASCII as \xNN.
std::string Printable(std::string_view text);

} // namespace qvxpkg
