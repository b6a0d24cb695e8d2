#pragma once
// The "info" switch: connects to one display (COM<n>[:<address>]) as Auto Connect does, reads its
// CONFIG.XML and STATUS.XML and prints the message lines and both lists. The firmware question
// that follows a connection is answered no, as in an unattended run.

class CConfigDownloader;
class CFirmwareInstaller;
class CInstallerCore;
class CPellworthCmdLineInfo;

// Exit status: one of exitstatus (ExitStatus.h).
int RunInfo(const CPellworthCmdLineInfo& cmdInfo, CInstallerCore& core, CFirmwareInstaller& firmware,
            CConfigDownloader& config);

// The exit status of an Auto Connect result (a CONNECT_... or AUTO_CONNECT_BAD_ADDRESS).
int ConnectExitStatus(CInstallerCore& core, int result);
