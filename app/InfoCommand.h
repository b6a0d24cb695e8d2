#pragma once
// The "info" switch: connects to one display (COM<n>[:<address>]) as Auto Connect does, reads its
// CONFIG.XML and STATUS.XML and prints the message lines and both lists. The firmware question
// that follows a connection is answered no, as in an unattended run.

class CFirmwareInstaller;
class CInstallerCore;
class CPellworthCmdLineInfo;

// Exit status: 0 connected with both files read; else the connection result (1 to 5);
// 6 when the target or the address is not usable.
int RunInfo(const CPellworthCmdLineInfo& cmdInfo, CInstallerCore& core, CFirmwareInstaller& firmware);

constexpr int INFO_BAD_TARGET = 6;
