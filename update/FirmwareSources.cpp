#include "update/FirmwareSources.h"

#include "connection/MessageStore.h"
#include "res/Resources.h"
#include "update/package/PackageFiles.h"
#include "update/package/ZlbFile.h"

#include <cstdio>
#include <new>

namespace {

constexpr char kNoMemory[] = "Not enough memory available on computer to download firmware";
constexpr char kNotLoaded[] = "External firmware file could not be loaded at: ";
constexpr int kTaskNoMemory = 501;
constexpr int kTaskNotLoaded = 502;

// The task line names the path; the next line says why, as the system told it.
void ReportNotLoaded(CMessageStore& messages, const std::string& path, const std::string& reason)
{
    messages.AddErrorMessage(kTaskNotLoaded, kNotLoaded + path);
    messages.AddStatusMessage("Reason: " + reason);
}

} // namespace

FirmwarePackageChoice ChooseFirmwarePackage(bool firmwareLine)
{
    if (firmwareLine)
        return {qvxres::kFirmwareFP9023417, qvxres::LoadEmbeddedString(qvxres::kStrFP9023417Version),
                qvxres::LoadEmbeddedString(qvxres::kStrFP9023417) + ".EXE"};
    return {qvxres::kFirmwareFX40211, qvxres::LoadEmbeddedString(qvxres::kStrFX40211Version), "FX40211.EXE"};
}

bool LoadFirmwareFromResource(CMessageStore& messages, std::vector<unsigned char>& image, int resourceId)
{
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
    } catch (const std::bad_alloc&) {
        messages.AddErrorMessage(kTaskNoMemory, kNoMemory);
        return false;
    }
    return true;
}

bool LoadFirmwareFromFile(CMessageStore& messages, const std::string& path, std::vector<unsigned char>& image)
{
    std::string fault;
    switch (qvxpkg::ReadWholeFile(path, qvxpkg::kMaxImageBytes, image, fault)) {
    case qvxpkg::FileStatus::Ok:
        break;
    case qvxpkg::FileStatus::NoMemory:
        messages.AddErrorMessage(kTaskNoMemory, kNoMemory);
        return false;
    default:
        ReportNotLoaded(messages, path, fault);
        return false;
    }
    if (image.empty()) {
        // Nothing a controller could boot; sending it would only replace its firmware file.
        ReportNotLoaded(messages, path, path + " is empty");
        return false;
    }
    return true;
}

std::string FirmwareFileNameOf(const std::string& path)
{
    return std::string(qvxpkg::FileNameOf(path));
}
