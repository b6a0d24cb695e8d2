#pragma once
// Where the firmware of an installation comes from: one of the two packages carried inside the
// program, chosen by the firmware line, or a file the operator names. Loaders report their
// failures with task codes and hand back a freshly owned image.

#include <string>
#include <vector>

class CMessageStore;

// The firmware one installation sends.
struct LoadedFirmware {
    std::vector<unsigned char> image; // byte for byte what is written to the controller
    std::string strFileName;          // the name it is stored under on the controller
    std::string strTargetVersion;     // what the display must report afterwards
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

// Inflates the embedded package `resourceId` into `image`. A damaged or missing package is
// reported (507) and refused; no memory for the image is reported (501).
bool LoadFirmwareFromResource(CMessageStore& messages, std::vector<unsigned char>& image, int resourceId);

// Reads the whole file at `path` into `image`. A file that cannot be opened or read, is empty, or
// is larger than any firmware could be is reported (502, with the reason on the next line).
bool LoadFirmwareFromFile(CMessageStore& messages, const std::string& path, std::vector<unsigned char>& image);

// The last component of a path: the text after its last backslash or colon (on POSIX also '/').
std::string FirmwareFileNameOf(const std::string& path);
