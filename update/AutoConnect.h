#pragma once
// The Auto Connect button without its window: check the address, try the connection list, show
// what was read, offer the recommended firmware, then check the configuration.

#include "connection/InstallerCore.h"

class CConfigDownloader;
class CFirmwareInstaller;

// Returned instead of a connection result when the address was refused.
constexpr int AUTO_CONNECT_BAD_ADDRESS = -1;

// Whether the quick configuration check (and its offer to download) follows the connection. A
// caller about to download a configuration itself skips it: its question would be answered
// before the download it then makes.
enum class ConfigCheck { Offer, Skip };

// A connection result (CONNECT_...), or AUTO_CONNECT_BAD_ADDRESS.
// config starts on the connected display's own type and time zone.
int AutoConnect(CInstallerCore& core, CFirmwareInstaller& firmware, CConfigDownloader& config, int port, int address,
                const BaudChoice& baud, ConfigCheck check = ConfigCheck::Offer);
