#include "update/FirmwareInstaller.h"

#include "base/AsciiCase.h"
#include "connection/InstallerCore.h"
#include "files/M2Files.h"
#include "res/Resources.h"
#include "update/FirmwareVersion.h"
#include "update/package/FirmwareElf.h"
#include "update/package/FirmwareLine.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

constexpr char kAborted[] = "Aborted command to download the file to sign";
constexpr char kCheckAborted[] = "Checking the firmware download was aborted";
constexpr int kReconnectAttempts = 15;
constexpr int kStatusReads = 2;
constexpr int kDirectoryWaits = 30;
constexpr unsigned long kRestartWaitMs = 20000;
constexpr unsigned long kSettleMs = 500; // after a send, a reset, before the reboot wait

std::string Format(const char* pattern, const std::string& text, int value)
{
    char line[512];
    std::snprintf(line, sizeof line, pattern, text.c_str(), value);
    return line;
}

bool HasExeExtension(const std::string& name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return false;
    return AsciiUpper(std::string_view(name).substr(dot)) == ".EXE";
}

} // namespace

CFirmwareInstaller::CFirmwareInstaller(CInstallerCore& core, FirmwareSwitches switches)
    : m_core(core), m_switches(std::move(switches))
{
}

// The decision.

bool CFirmwareInstaller::IsFirmwareUpdateNeeded()
{
    const FirmwareDecision decision = DecideFor(m_core.Session().GetFirmwareVersion());
    if (decision.nCode >= 0)
        m_core.AddErrorMessage(decision.nCode, decision.strLine);
    return decision.bNeeded;
}

FirmwareDecision CFirmwareInstaller::DecideFor(const std::string& current) const
{
    if (m_switches.bAnyFirmware)
        return {true, -1, {}};
    const std::string fileVersion =
        m_switches.strFirmwarePath.empty() ? std::string() : GetFirmwareVersionFromFile(m_switches.strFirmwarePath);
    for (const bool firmwareLine : {true, false}) {
        if (!NamesFirmwareFamily(current, firmwareLine))
            continue;
        std::string target = qvxres::LoadEmbeddedString(firmwareLine ? qvxres::kStrFP9023417Version
                                                                      : qvxres::kStrFX40211Version);
        if (m_switches.bFirmwareFile) {
            if (!NamesFirmwareFamily(m_switches.strFirmwareFileName, firmwareLine))
                return {false, 301, "The selected firmware file is not " + FirmwareFamily(firmwareLine)};
            target = fileVersion;
        }
        if (CompareFirmwareVersions(current, target) == 0)
            return {false, 100, "Display already has the most current firmware installed"};
        return {true, -1, {}};
    }
    return {false, 511, "Display does not have FX40211 or FP9023417 firmware installed"};
}

unsigned long CFirmwareInstaller::InstallWaitsMs(bool firmwareLine, bool anotherFollows)
{
    unsigned long ms = kSettleMs;                              // after the send
    if (!firmwareLine)
        ms += kDirectoryWaits * 1000UL + kSettleMs;            // the directory, then the reset
    ms += kSettleMs + kRestartWaitMs + kStatusReadWaitMs;      // the check: reboot, first status read
    if (anotherFollows)
        ms += kRestartWaitMs;                                  // the restart after the check's reset
    return ms;
}

std::string CFirmwareInstaller::GetRecommendedFirmwareVersion()
{
    if (m_switches.bFirmwareFile)
        return GetFirmwareVersionFromFile(m_switches.strFirmwarePath);
    return ChooseFirmwarePackage(m_core.Session().IsFirmwareLine()).strTargetVersion;
}

// Installing.

bool CFirmwareInstaller::LoadFirmwareFor(bool firmwareLine, LoadedFirmware& firmware)
{
    if (m_switches.bFirmwareFile)
        return LoadExternalFirmware(m_core.Messages(), m_switches.strFirmwarePath, firmwareLine, firmware);
    const FirmwarePackageChoice choice = ChooseFirmwarePackage(firmwareLine);
    firmware.strTargetVersion = choice.strTargetVersion;
    firmware.strFileName = choice.strFileName;
    return LoadFirmwareFromResource(m_core.Messages(), firmware.image, firmware.stream, choice.nResourceId);
}

bool CFirmwareInstaller::LoadFirmware(bool external, const std::string& path, LoadedFirmware& firmware)
{
    if (external)
        return LoadExternalFirmware(m_core.Messages(), path, m_core.Session().IsFirmwareLine(), firmware);
    const FirmwarePackageChoice choice = ChooseFirmwarePackage(m_core.Session().IsFirmwareLine());
    firmware.strTargetVersion = choice.strTargetVersion;
    firmware.strFileName = choice.strFileName;
    return LoadFirmwareFromResource(m_core.Messages(), firmware.image, firmware.stream, choice.nResourceId);
}

bool CFirmwareInstaller::InstallFirmware(bool external, const std::string& path,
                                         const std::string& /*fileName*/, std::string& targetVersion, int address)
{
    LoadedFirmware firmware;
    const bool loaded = LoadFirmware(external, path, firmware);
    targetVersion = firmware.strTargetVersion;
    if (!loaded)
        return false;
    bool sent = false;
    m_core.RunJob([&] { sent = DownloadWork(firmware, address); }, ProgressKind::Stepped);
    if (!sent)
        return false;
    m_core.Session().Disconnect();
    return true;
}

bool CFirmwareInstaller::DownloadWork(const LoadedFirmware& firmware, int address)
{
    COperationProgress& progress = m_core.Runner().Progress();
    m_core.AddStatusMessage("Downloading firmware...");
    progress.Text("Downloading firmware to sign");
    const auto size = static_cast<unsigned long>(firmware.image.size());
    // An abort that came between two steps is not left to the next exchange to notice: a whole
    // image is not sent after it.
    if (m_core.IsCancelled()) {
        m_core.AddStatusMessage(kAborted);
        return false;
    }
    // A package's own stream is sent as it stands; a file from outside is compressed for the send.
    if (!m_core.SendFileToSign(address, firmware.strFileName, firmware.image.data(), size, true, firmware.stream)) {
        if (m_core.IsCancelled())
            m_core.AddStatusMessage(kAborted);
        else
            m_core.AddErrorMessage(503, "Transmission failed");
        return false;
    }
    progress.AllowAbort(false);
    if (!m_core.WaitUnlessCancelled(kSettleMs)) {
        m_core.AddStatusMessage(kAborted);
        return false;
    }
    if (!m_core.Session().IsFirmwareLine() && !ResetAfterDirectory(firmware.strFileName, address))
        return false;
    m_core.AddStatusMessage("Firmware has been downloaded.");
    return true;
}

bool CFirmwareInstaller::ResetAfterDirectory(const std::string& fileName, int address)
{
    COperationProgress& progress = m_core.Runner().Progress();
    progress.Text("Retrieving File Directory of Sign");
    progress.BeginStep(0, kDirectoryWaits + 2);
    for (int second = 0; second < kDirectoryWaits; ++second) {
        // Only a signal can cut this short (the Abort button is off by now): stop before the reset.
        if (!m_core.WaitUnlessCancelled(1000)) {
            m_core.AddStatusMessage(kAborted);
            return false;
        }
        progress.Advance();
    }
    std::vector<std::string> names;
    if (!GetSignDirectory(names, address)) {
        m_core.AddStatusMessage("Firmware could not be downloaded.");
        return true; // the file went over; without the directory the display is not reset
    }
    // The other ".EXE" files stay: nothing says which one a controller may still boot from.
    const auto sent = std::find(names.begin(), names.end(), fileName);
    if (sent != names.end())
        names.erase(sent);
    progress.Advance();
    progress.Text("Reseting display");
    ResetDisplay(address);
    m_core.WaitUnlessCancelled(kSettleMs);
    return true;
}

void CFirmwareInstaller::ResetDisplay(int address)
{
    m_core.Session().Link().ResetDisplay(static_cast<unsigned char>(address), 1, 0, nullptr);
}

bool CFirmwareInstaller::GetSignDirectory(std::vector<std::string>& names, int address)
{
    auto link = m_core.Session().HoldLink();
    names.clear();
    short result = S22NET_OK;
    m2_resp_retrieve_file_s record{};
    const unsigned char* data =
        m_core.Session().Link().GetFile(static_cast<unsigned char>(address), "DIRECTORY.XML", result, &record, 0);
    if (result == S22NET_OK) {
        // Parsed in memory: a fixed file name in a shared temporary folder is not worth the risk.
        const std::string text = data == nullptr ? std::string()
                                                 : std::string(reinterpret_cast<const char*>(data),
                                                               m_core.Session().Link().GetTransferFigures().retrievedSize);
        CM2Files directory;
        if (directory.LoadDirectoryText(text, names))
            std::erase_if(names, [](const std::string& name) { return !HasExeExtension(name); });
        return true;
    }
    constexpr std::size_t kStartStatusAt = 124;
    if (result == ERR_SIGN_RESPONSE_ERROR && record.bytes[kStartStatusAt] == 2)
        return true; // the controller has no files
    m_core.AddErrorMessage(505, "Display file directory could not be retrieved");
    return false;
}

// Verifying.

bool CFirmwareInstaller::VerifyFirmwareUpdate(unsigned short comPort, unsigned long baud,
                                              int address, const std::string& displayName,
                                              const std::string& targetVersion)
{
    return VerifyFirmware(comPort, baud, address, displayName, targetVersion) == VerifyOutcome::Verified;
}

VerifyOutcome CFirmwareInstaller::VerifyFirmware(unsigned short comPort, unsigned long baud,
                                                 int address, const std::string& displayName,
                                                 const std::string& targetVersion)
{
    VerifyOutcome outcome = VerifyOutcome::Aborted;
    m_core.RunJob([&] { outcome = VerifyWork(comPort, baud, address, displayName, targetVersion); },
                  ProgressKind::Running);
    return outcome;
}

VerifyOutcome CFirmwareInstaller::VerifyWork(unsigned short comPort, unsigned long baud, int address,
                                             const std::string& displayName, const std::string& targetVersion)
{
    COperationProgress& shown = m_core.Runner().Progress();
    auto progress = [&](const std::string& text) {
        m_core.AddStatusMessage(text);
        shown.Text(text);
    };
    shown.AllowAbort(false);
    bool waited = m_core.WaitUnlessCancelled(kSettleMs);
    if (waited) {
        progress("Waiting for display to reboot");
        waited = m_core.WaitUnlessCancelled(kRestartWaitMs);
    }
    if (!waited) {
        m_core.AddStatusMessage(kCheckAborted);
        return VerifyOutcome::Aborted;
    }
    progress(Format("Attempting to reconnect to display %s at address %d", displayName, address));
    if (!Reconnect(comPort, baud, address)) {
        if (m_core.IsCancelled()) {
            m_core.AddStatusMessage(kCheckAborted);
            return VerifyOutcome::Aborted;
        }
        m_core.AddErrorMessage(508, "Could not reconnect to display after firmware download");
        return VerifyOutcome::NoReconnect;
    }
    m_core.Session().ShowAddress(address);
    return CompareAfterReconnect(address, displayName, targetVersion);
}

VerifyOutcome CFirmwareInstaller::CompareAfterReconnect(int address, const std::string& displayName,
                                                        const std::string& targetVersion)
{
    bool read = false;
    for (int attempt = 0; attempt < kStatusReads && !read; ++attempt) {
        if (!m_core.WaitUnlessCancelled(kStatusReadWaitMs)) {
            m_core.AddStatusMessage(kCheckAborted);
            return VerifyOutcome::Aborted;
        }
        read = m_core.Connector().RetrieveStatus(m_core.Session().StatusDoc(), address);
    }
    // No reset is started after an abort; a version already read is still told.
    if (!read && m_core.IsCancelled()) {
        m_core.AddStatusMessage(kCheckAborted);
        return VerifyOutcome::Aborted;
    }
    VerifyOutcome outcome = VerifyOutcome::Unchecked;
    char line[512];
    if (!read) {
        m_core.AddStatusMessage("Unable to check success of firmware download");
    } else if (CompareFirmwareVersions(m_core.Session().GetFirmwareVersion(), targetVersion) == 0) {
        std::snprintf(line, sizeof line, "%s has been updated successfully to firmware version: %s",
                      displayName.c_str(), targetVersion.c_str());
        m_core.AddErrorMessage(0, line);
        outcome = VerifyOutcome::Verified;
    } else {
        std::snprintf(line, sizeof line, "Firmware was downloaded on %s, but failed to take effect",
                      displayName.c_str());
        m_core.AddErrorMessage(514, line);
        outcome = VerifyOutcome::NotTakingEffect;
    }
    if (m_core.IsCancelled()) {
        m_core.AddStatusMessage(kCheckAborted);
        return outcome;
    }
    ResetDisplay(address);
    return outcome;
}

bool CFirmwareInstaller::AwaitRestart(unsigned short comPort, unsigned long baud, int address)
{
    bool back = m_core.WaitUnlessCancelled(kRestartWaitMs) && Reconnect(comPort, baud, address);
    m_core.Session().CloseLink();
    return back && !m_core.IsCancelled();
}

// A display still restarting costs an attempt, not a task code: the single attempts are used,
// not the connection list with its closing report.
bool CFirmwareInstaller::Reconnect(unsigned short comPort, unsigned long baud, int address)
{
    const CONNECTION_INFO pellworth{PROTOCOL_PELLWORTH, comPort, address, static_cast<int>(baud)};
    const CONNECTION_INFO s2200{PROTOCOL_S2200, comPort, address, static_cast<int>(baud)};
    for (int attempt = 0; attempt < kReconnectAttempts; ++attempt) {
        if (m_core.IsCancelled())
            return false;
        if (m_core.Session().Link().IsOpen())
            m_core.Session().Link().ClosePort();
        if (m_core.Connector().ConnectAttempt(pellworth) == CONNECT_OK || m_core.Connector().ConnectAttempt(s2200) == CONNECT_OK)
            return true;
        if (!m_core.WaitUnlessCancelled(1000))
            return false;
    }
    return false;
}

// The operator's side.

bool CFirmwareInstaller::DownloadFirmwareFromPage(int source, const std::string& path, int address)
{
    const bool external = source == 1;
    if (external && path.empty()) {
        m_core.View().ShowMessageBox("Please enter a Firmware File before downloading.");
        return false;
    }
    std::string target;
    if (!InstallFirmware(external, path, std::string(), target, address))
        return false;
    m_core.View().ShowMessageBox("The new firmware has been downloaded successfully and the connection will be "
                                 "closed.\nWait until the boot sequence is complete before reconnecting.");
    return true;
}

void CFirmwareInstaller::OfferRecommendedFirmware(int address)
{
    const std::string current = m_core.Session().GetFirmwareVersion();
    if (IsRecommendedFirmwareInstalled(current, RecommendedFirmwareVersion(m_core.Session().IsFirmwareLine())))
        return;
    if (m_core.View().AskYesNo("You do not have the recommended firmware downloaded.\n"
                               "Do you want to download it now?"))
        DownloadFirmwareFromPage(0, std::string(), address);
}
