#pragma once
// Firmware on a connected display: whether it needs new firmware, sending it compressed, letting
// the controller restart, and, for the automatic job, reconnecting and confirming the version it
// now reports. Every step reports through the core's message store with its task code.

#include "update/FirmwareSources.h"

#include <string>
#include <utility>
#include <vector>

class CInstallerCore;

// The command-line switches that steer the firmware decision.
struct FirmwareSwitches {
    bool bFirmwareFile = false;      // "f": install this file instead of the embedded firmware
    std::string strFirmwarePath;     // its resolved path
    std::string strFirmwareFileName; // its file-name part, as written
    bool bAnyFirmware = false;       // "anyfirm": every display gets the firmware
};

// How the check after an install ended. Verified, NotTakingEffect and Unchecked leave the display
// restarting (it is reset once more at the end of the check).
enum class VerifyOutcome { Verified, NotTakingEffect, Unchecked, NoReconnect, Aborted };

// The firmware decision for a display that reports `current`, without reporting it: whether an
// install is needed, and otherwise the task line the job would report (code -1: none).
struct FirmwareDecision {
    bool bNeeded = false;
    int nCode = -1;
    std::string strLine;
};

class CFirmwareInstaller {
public:
    CFirmwareInstaller(CInstallerCore& core, FirmwareSwitches switches);
    // The switches are known only once the command line is parsed.
    void SetSwitches(FirmwareSwitches switches) { m_switches = std::move(switches); }
    const FirmwareSwitches& Switches() const { return m_switches; }

    // The automatic job's decision for the connected display.
    bool IsFirmwareUpdateNeeded();
    // The same decision for a display that reports `current` (a plan reads it without connecting).
    FirmwareDecision DecideFor(const std::string& current) const;
    // Loads the image an install on a display of this line would send, reporting what fails.
    bool LoadFirmwareFor(bool firmwareLine, LoadedFirmware& firmware);
    // The fixed waits (unscaled ms) of an install, its check and, when another display of the line
    // follows, the restart wait before it: what a plan adds to the transfer.
    static unsigned long InstallWaitsMs(bool firmwareLine, bool anotherFollows);
    // The status reads after the reconnection, each after its own wait.
    static constexpr unsigned long kStatusReadWaitMs = 1500;
    // The version the job announces and verifies.
    std::string GetRecommendedFirmwareVersion();

    // Loads the firmware, sends it and lets the controller restart; on success the connection is
    // closed. targetVersion receives the version the display must report afterwards. fileName is
    // not used: the name on the controller comes from the firmware's source.
    bool InstallFirmware(bool external, const std::string& path, const std::string& fileName,
                         std::string& targetVersion, int address);
    // The names of the controller's ".EXE" files, in directory order.
    bool GetSignDirectory(std::vector<std::string>& names, int address);
    // Waits for the reboot, reconnects and compares the version; true when the display reports
    // the target version.
    bool VerifyFirmwareUpdate(unsigned short comPort, unsigned long baud, int address,
                              const std::string& displayName, const std::string& targetVersion);
    // The same check, telling how it ended.
    VerifyOutcome VerifyFirmware(unsigned short comPort, unsigned long baud, int address,
                                 const std::string& displayName, const std::string& targetVersion);
    // After a reset: the restart wait, then the single reconnection attempts until the display
    // answers; the link is closed afterwards. False when it did not come back or on an abort.
    bool AwaitRestart(unsigned short comPort, unsigned long baud, int address);

    // The firmware page's download (source 0: the recommended firmware; 1: the file at path).
    bool DownloadFirmwareFromPage(int source, const std::string& path, int address);
    // After an operator's connect: asks to install the recommended firmware when the display does
    // not have it (or something later), and installs it on yes.
    void OfferRecommendedFirmware(int address);

private:
    bool LoadFirmware(bool external, const std::string& path, LoadedFirmware& firmware);
    bool DownloadWork(const LoadedFirmware& firmware, int address);
    // The directory and the reset of the main line, after the controller had time to take the file.
    bool ResetAfterDirectory(const std::string& fileName, int address);
    VerifyOutcome VerifyWork(unsigned short comPort, unsigned long baud, int address,
                             const std::string& displayName, const std::string& targetVersion);
    VerifyOutcome CompareAfterReconnect(int address, const std::string& displayName,
                                        const std::string& targetVersion);
    bool Reconnect(unsigned short comPort, unsigned long baud, int address);
    void ResetDisplay(int address);

    CInstallerCore& m_core;
    FirmwareSwitches m_switches;
};
