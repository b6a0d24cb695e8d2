#include "update/AutoConnect.h"

#include "update/ConfigDownload.h"
#include "update/FirmwareInstaller.h"

#include <vector>

int AutoConnect(CInstallerCore& core, CFirmwareInstaller& firmware, CConfigDownloader& config, int port, int address,
                const BaudChoice& baud, ConfigCheck check)
{
    core.Messages().Clear();
    if (!core.Connector().ValidateDisplayAddress(false, address))
        return AUTO_CONNECT_BAD_ADDRESS;
    std::vector<CONNECTION_INFO> attempts;
    CDisplayConnector::BuildConnectionList(attempts, address, port, baud);
    const ConnectResult result = core.Connector().ConnectToDisplay(attempts, address).result;
    if (result == CONNECT_NOT_OUR_DISPLAY)
        core.AddErrorMessage(101, "Display is not a Quorvantix Reader Board");
    if (result != CONNECT_OK)
        return result;
    core.Session().ShowDisplayInfo();
    firmware.OfferRecommendedFirmware(address);
    // The tables follow the firmware line the display was just found on; its own zone is the
    // current one.
    config.UseConnectedDisplay();
    if (check == ConfigCheck::Offer)
        config.CheckRecommendedConfiguration(address);
    return result;
}
