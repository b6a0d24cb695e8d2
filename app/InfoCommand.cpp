#include "app/InfoCommand.h"

#include "app/PellworthCmdLineInfo.h"
#include "connection/InstallerCore.h"

int RunInfo(const CPellworthCmdLineInfo& cmdInfo, CInstallerCore& core)
{
    int com = 0;
    int address = 0;
    if (!ParseComTarget(cmdInfo.GetInfoTarget(), com, address) || com > 255) {
        core.AddStatusMessage("info: \"" + cmdInfo.GetInfoTarget() + "\" is not a port, use COM<n>[:<address>]");
        return INFO_BAD_TARGET;
    }
    if (!core.ValidateDisplayAddress(false, address))
        return INFO_BAD_TARGET;
    std::vector<CONNECTION_INFO> attempts;
    const BaudChoice baud{cmdInfo.IsBaudGiven(), cmdInfo.GetBaudRate()};
    CInstallerCore::BuildConnectionList(attempts, address, com, baud);
    CONNECTION_INFO outcome;
    const int result = core.ConnectToDisplay(false, attempts, outcome, address);
    if (result == CONNECT_OK)
        core.ShowDisplayInfo();
    core.Disconnect();
    return result;
}
