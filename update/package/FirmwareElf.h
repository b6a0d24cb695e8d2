#pragma once
// The firmware version of a controller image: a 32-bit big-endian ELF executable whose
// ".m2_rev_id" section holds a text like "Gen II Firmware REV 1.2.;", read as major, minor and
// build digits at positions 20, 22 and 24 (';' is '0' + 11, so that text reads 1.2.11).
//
// Images come from outside (a maker's file, a package): every offset and count is checked against
// the image's size, and anything that does not hold up gives no revision rather than a read past
// the end.

#include <optional>
#include <span>
#include <string>
#include <vector>

// Why a controller could not boot the image as firmware, as a clause ("it is 13 bytes of text",
// "it is a 64-bit ELF file", ...); empty when it is a 32-bit big-endian PowerPC ELF executable
// whose section header table lies whole inside it.
std::string ControllerImageFault(std::span<const unsigned char> image);

// True when the image's section headers name a ".m2_rev_id" section.
bool HasRevisionSection(std::span<const unsigned char> image);

// "major.minor.build", or empty when the image carries no readable revision.
std::string FirmwareRevisionOf(std::span<const unsigned char> image);

// The title a path gives a firmware version: the part before the last '.', and of that the part
// after the last backslash (on POSIX also '/'; base/PathText.h, PathReading::VersionTitle). No
// title when the path has no '.'.
std::optional<std::string> FirmwareTitleOf(const std::string& path);

// title + "-" + revision ("FX40211-1.2.11"), title + "-" without a revision; with no title, the
// bare revision or empty.
std::string FirmwareVersionFromImage(std::span<const unsigned char> image, const std::string& path);

// The same for a file on disk; a file that cannot be read, or is larger than any image can be,
// has no revision.
std::string GetFirmwareVersionFromFile(const std::string& path);

// Reads a whole firmware image, refusing files larger than any image can be (64 MiB). False with
// the reason in fault when it could not.
bool LoadFirmwareImage(const std::string& path, std::vector<unsigned char>& image, std::string& fault);
