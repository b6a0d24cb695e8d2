#include "app/InfoCommand.h"

#include "app/PellworthCmdLineInfo.h"
#include "connection/InstallerCore.h"
#include "update/AutoConnect.h"

int RunInfo(const CPellworthCmdLineInfo& cmdInfo, CInstallerCore& core, CFirmwareInstaller& firmware)
{
    int com = 0;
    int address = 0;
    if (!ParseComTarget(cmdInfo.GetInfoTarget(), com, address) || com > 255) {
        core.AddStatusMessage("info: \"" + cmdInfo.GetInfoTarget() + "\" is not a port, use COM<n>[:<address>]");
        return INFO_BAD_TARGET;
    }
    const BaudChoice baud{cmdInfo.IsBaudGiven(), cmdInfo.GetBaudRate()};
    const int result = AutoConnect(core, firmware, com, address, baud);
    core.Disconnect();
    return result == AUTO_CONNECT_BAD_ADDRESS ? INFO_BAD_TARGET : result;
}
