#include "update/FirmwareSources.h"

#include "base/Deflate.h"
#include "base/PathText.h"
#include "base/WholeFile.h"
#include "connection/MessageStore.h"
#include "res/Resources.h"
#include "update/package/FirmwareElf.h"
#include "update/package/FirmwareLine.h"
#include "update/package/PackageFiles.h"
#include "update/package/ZlbFile.h"

#include <cstdio>
#include <new>

namespace {

constexpr char kNoMemory[] = "Not enough memory available on computer to download firmware";
constexpr char kNotLoaded[] = "External firmware file could not be loaded at: ";
constexpr char kNotFirmware[] = "The selected firmware file is not ";
constexpr int kTaskNotFirmware = 301;
constexpr int kTaskNoMemory = 501;
constexpr int kTaskNotLoaded = 502;

// The task line names the path; the next line says why, as the system told it.
void ReportNotLoaded(CMessageStore& messages, const std::string& path, const std::string& reason)
{
    messages.AddErrorMessage(kTaskNotLoaded, kNotLoaded + path);
    messages.AddStatusMessage("Reason: " + reason);
}

// Reads an external file whole into an emptied image. An empty file fails as one that cannot be
// read: sending it would only replace the controller's firmware file with nothing.
qvxbase::FileStatus ReadExternalFile(const std::string& path, std::vector<unsigned char>& image, std::string& fault)
{
    image.clear();
    const qvxbase::FileStatus status = qvxbase::ReadWholeFile(path, qvxpkg::kMaxImageBytes, image, fault);
    if (status == qvxbase::FileStatus::Ok && image.empty()) {
        fault = path + " is empty";
        return qvxbase::FileStatus::ReadFailed;
    }
    return status;
}

// The family a version text names: its part before the first '-'.
std::string NamedFamily(const std::string& version)
{
    const std::size_t hyphen = version.find('-');
    return hyphen == std::string::npos || hyphen == 0 ? std::string("no firmware line") : version.substr(0, hyphen);
}

// Why the image is not firmware for the line; empty when it is.
std::string NotFirmwareReason(std::span<const unsigned char> image, const std::string& name, const std::string& version,
                              const std::string& family)
{
    const std::string fault = ControllerImageFault(image);
    if (!fault.empty())
        return name + " is not a PowerPC firmware image (" + fault + ")";
    if (!HasRevisionSection(image))
        return name + " has no revision section";
    if (FirmwareRevisionOf(image).empty())
        return name + " has a revision section without a readable revision";
    if (version.rfind(family, 0) != 0)
        return name + ": its revision names " + NamedFamily(version) + ", this display runs " + family;
    return {};
}

} // namespace

FirmwarePackageChoice ChooseFirmwarePackage(bool firmwareLine)
{
    if (firmwareLine)
        return {qvxres::kFirmwareFP9023417, qvxres::LoadEmbeddedString(qvxres::kStrFP9023417Version),
                qvxres::LoadEmbeddedString(qvxres::kStrFP9023417) + ".EXE"};
    return {qvxres::kFirmwareFX40211, qvxres::LoadEmbeddedString(qvxres::kStrFX40211Version), "FX40211.EXE"};
}

bool LoadFirmwareFromResource(CMessageStore& messages, std::vector<unsigned char>& image,
                              std::vector<unsigned char>& stream, int resourceId)
{
    image.clear();
    stream.clear();
    const auto block = qvxres::FindEmbeddedResource("BIN", resourceId);
    char what[64];
    std::snprintf(what, sizeof what, "Firmware package %d", resourceId);
    if (block.empty()) {
        // A build without its packages must not look like a display that needed nothing.
        messages.AddErrorMessage(kTaskPackageDamaged, std::string(what) + " is missing from this program");
        return false;
    }
    CZlbFile package;
    const int loaded = package.LoadFromMemory(block);
    if (loaded == CZlbFile::kNoMemory) {
        messages.AddErrorMessage(kTaskNoMemory, kNoMemory);
        return false;
    }
    if (loaded != CZlbFile::kOk) {
        messages.AddErrorMessage(kTaskPackageDamaged,
                                 std::string(what) + " is damaged (" + package.GetFault() + "); nothing was sent");
        return false;
    }
    try {
        const auto data = package.GetData();
        image.assign(data.begin(), data.end());
        const auto packed = package.GetStream();
        stream.assign(packed.begin(), packed.end());
    } catch (const std::bad_alloc&) {
        image.clear();
        stream.clear();
        messages.AddErrorMessage(kTaskNoMemory, kNoMemory);
        return false;
    }
    // The stream goes to the controller as it stands: it must give back this very image.
    if (!qvxbase::InflatesTo(stream, image)) {
        image.clear();
        stream.clear();
        messages.AddErrorMessage(kTaskPackageDamaged, std::string(what) +
                                                          " is damaged (its stream does not inflate to its image); "
                                                          "nothing was sent");
        return false;
    }
    return true;
}

bool LoadFirmwareFromFile(CMessageStore& messages, const std::string& path, std::vector<unsigned char>& image)
{
    std::string fault;
    switch (ReadExternalFile(path, image, fault)) {
    case qvxbase::FileStatus::Ok:
        return true;
    case qvxbase::FileStatus::NoMemory:
        messages.AddErrorMessage(kTaskNoMemory, kNoMemory);
        return false;
    default:
        ReportNotLoaded(messages, path, fault);
        return false;
    }
}

ExternalFirmwareCheck CheckFirmwareImage(std::span<const unsigned char> image, const std::string& path,
                                         bool firmwareLine)
{
    ExternalFirmwareCheck check;
    check.strVersion = FirmwareVersionFromImage(image, path);
    check.strReason = NotFirmwareReason(image, qvxpkg::Printable(FirmwareFileNameOf(path)), check.strVersion,
                                        FirmwareFamily(firmwareLine));
    check.bOk = check.strReason.empty();
    return check;
}

ExternalFirmwareCheck CheckExternalFirmware(const std::string& path, bool firmwareLine)
{
    std::vector<unsigned char> image;
    std::string fault;
    if (ReadExternalFile(path, image, fault) != qvxbase::FileStatus::Ok)
        return {false, FirmwareVersionFromImage({}, path), fault};
    return CheckFirmwareImage(image, path, firmwareLine);
}

bool LoadExternalFirmware(CMessageStore& messages, const std::string& path, bool firmwareLine,
                          LoadedFirmware& firmware)
{
    firmware.strFileName = FirmwareFileNameOf(path);
    firmware.stream.clear(); // compressed for the send
    const bool loaded = LoadFirmwareFromFile(messages, path, firmware.image);
    const ExternalFirmwareCheck check = CheckFirmwareImage(firmware.image, path, firmwareLine);
    firmware.strTargetVersion = check.strVersion;
    if (!loaded)
        return false;
    if (!check.bOk) {
        firmware.image.clear();
        messages.AddErrorMessage(kTaskNotFirmware, kNotFirmware + FirmwareFamily(firmwareLine));
        messages.AddStatusMessage("Reason: " + check.strReason);
        return false;
    }
    return true;
}

std::string FirmwareFileNameOf(const std::string& path)
{
    return std::string(qvxbase::NamePartOf(path, qvxbase::PathReading::StoredName));
}
