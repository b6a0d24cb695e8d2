#include "update/AutoConnect.h"

#include "update/ConfigDownload.h"
#include "update/FirmwareInstaller.h"

#include <vector>

int AutoConnect(CInstallerCore& core, CFirmwareInstaller& firmware, CConfigDownloader& config, int port, int address,
                const BaudChoice& baud, ConfigCheck check)
{
    core.Messages().Clear();
    if (!core.ValidateDisplayAddress(false, address))
        return AUTO_CONNECT_BAD_ADDRESS;
    std::vector<CONNECTION_INFO> attempts;
    CInstallerCore::BuildConnectionList(attempts, address, port, baud);
    CONNECTION_INFO outcome;
    const int result = core.ConnectToDisplay(false, attempts, outcome, address);
    if (result == CONNECT_NOT_OUR_DISPLAY)
        core.AddErrorMessage(101, "Display is not a Quorvantix Reader Board");
    if (result != CONNECT_OK)
        return result;
    core.ShowDisplayInfo();
    core.View().EnableControls(true);
    firmware.OfferRecommendedFirmware(address);
    // The tables follow the firmware line the display was just found on; its own zone is the
    // current one.
    config.UseConnectedDisplay();
    if (check == ConfigCheck::Offer)
        config.CheckRecommendedConfiguration(address);
    return result;
}
