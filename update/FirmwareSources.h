#pragma once
// Where the firmware of an installation comes from: one of the two packages carried inside the
// program, chosen by the firmware line, or a file the operator names. Loaders report their
// failures with task codes and hand back a freshly owned image.

#include <span>
#include <string>
#include <vector>

class CMessageStore;

// The firmware one installation sends.
struct LoadedFirmware {
    std::vector<unsigned char> image; // byte for byte what is written to the controller
    std::string strFileName;          // the name it is stored under on the controller
    std::string strTargetVersion;     // what the display must report afterwards
    // The package's own zlib stream of image, sent as it stands; empty for a file from outside,
    // which is compressed for the send.
    std::vector<unsigned char> stream;
};

// The embedded package for a firmware line, its target version and the name it is sent under.
struct FirmwarePackageChoice {
    int nResourceId = 0;
    std::string strTargetVersion;
    std::string strFileName;
};
FirmwarePackageChoice ChooseFirmwarePackage(bool firmwareLine);

// Task code of a package carried in the program that is missing or damaged: it is never sent.
constexpr int kTaskPackageDamaged = 507;

// Inflates the embedded package `resourceId` into `image` and copies its zlib stream, checked to
// inflate to exactly the image, into `stream`. A damaged or missing package is reported (507) and
// refused; no memory for the image is reported (501).
bool LoadFirmwareFromResource(CMessageStore& messages, std::vector<unsigned char>& image,
                              std::vector<unsigned char>& stream, int resourceId);

// Reads the whole file at `path` into `image`. A file that cannot be opened or read, is empty, or
// is larger than any firmware could be is reported (502, with the reason on the next line).
bool LoadFirmwareFromFile(CMessageStore& messages, const std::string& path, std::vector<unsigned char>& image);

// What a firmware file from outside the program is to a display of a firmware line.
struct ExternalFirmwareCheck {
    bool bOk = false;
    std::string strVersion; // its version text (title and revision), also when it is refused
    std::string strReason;  // why it is not firmware for the display, in plain words; empty when ok
};

// A controller is only ever sent its own kind of image: a 32-bit big-endian PowerPC ELF
// executable with a revision section, whose version text begins with the line's family.
ExternalFirmwareCheck CheckFirmwareImage(std::span<const unsigned char> image, const std::string& path,
                                         bool firmwareLine);
// The same for the file at path, read whole; one that cannot be read is refused with the reason.
ExternalFirmwareCheck CheckExternalFirmware(const std::string& path, bool firmwareLine);

// Loads an external file for a display of the firmware line, under the name of its last path
// component and with its own version as the target. A file that cannot be read is reported as
// LoadFirmwareFromFile does (502, 501); one that is not firmware for the line is reported with
// task code 301 and the reason on the next line, and nothing of it is kept.
bool LoadExternalFirmware(CMessageStore& messages, const std::string& path, bool firmwareLine,
                          LoadedFirmware& firmware);

// The name a file is sent to the controller under: the text after its last backslash or colon (on
// POSIX also '/'; base/PathText.h, PathReading::StoredName).
std::string FirmwareFileNameOf(const std::string& path);
