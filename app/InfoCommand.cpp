#include "app/InfoCommand.h"

#include "app/ExitStatus.h"
#include "app/PellworthCmdLineInfo.h"
#include "connection/InstallerCore.h"
#include "update/AutoConnect.h"

int RunInfo(const CPellworthCmdLineInfo& cmdInfo, CInstallerCore& core, CFirmwareInstaller& firmware,
            CConfigDownloader& config)
{
    int com = 0;
    int address = 0;
    if (!ParseComTarget(cmdInfo.GetOptions().strInfo, com, address) || com > 255) {
        core.AddStatusMessage("info: \"" + cmdInfo.GetOptions().strInfo + "\" is not a port, use COM<n>[:<address>]");
        return exitstatus::kUsage;
    }
    const BaudChoice baud{cmdInfo.IsBaudGiven(), cmdInfo.GetBaudRate()};
    const int status = ConnectExitStatus(core, AutoConnect(core, firmware, config, com, address, baud));
    core.Session().Disconnect();
    return status;
}

int ConnectExitStatus(CInstallerCore& core, int result)
{
    const bool busy = core.Session().Link().Port().LastOpenFailure().kind == SerialOpenFailure::Kind::Busy;
    switch (result) {
    case CONNECT_OK:
        return exitstatus::kDone;
    case AUTO_CONNECT_BAD_ADDRESS:
        return exitstatus::kUsage;
    case CONNECT_PORT_BUSY:
        return busy ? exitstatus::kBusy : exitstatus::kCannotOpen;
    case CONNECT_SWITCH_REFUSED:
        return exitstatus::kRefused;
    case CONNECT_NOT_OUR_DISPLAY:
        return exitstatus::kNotOurs;
    case CONNECT_LINE_ECHOES:
        return exitstatus::kEchoes;
    default: // no answer; an abort ends the run with the signal's status
        return exitstatus::kNoAnswer;
    }
}
