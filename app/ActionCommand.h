#pragma once
// The display actions from the command line: -startpattern, -stoppattern, -reset, -cleanmemory,
// -settime, -checkconfig, -downloadconfig and -restorefactory, each followed by COM<n>[:<address>].
// Each checks its values first, connects as Auto Connect does (older firmware is offered and
// answered no), does its one thing with the lines the window would show, and closes the link.

#include <iosfwd>

class CConfigDownloader;
class CFirmwareInstaller;
class CInstallerCore;
class CPellworthCmdLineInfo;

// Exit status: one of exitstatus (ExitStatus.h). out receives the form's own lines beside the
// core's, err the usage problems.
int RunAction(const CPellworthCmdLineInfo& cmdInfo, CInstallerCore& core, CFirmwareInstaller& firmware,
              CConfigDownloader& config, std::ostream& out, std::ostream& err);
