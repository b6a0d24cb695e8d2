#pragma once
// The Auto Connect button without its window: check the address, try the connection list, show
// what was read, and offer the recommended firmware.

#include "connection/InstallerCore.h"

class CFirmwareInstaller;

// Returned instead of a connection result when the address was refused.
constexpr int AUTO_CONNECT_BAD_ADDRESS = -1;

// A connection result (CONNECT_...), or AUTO_CONNECT_BAD_ADDRESS.
int AutoConnect(CInstallerCore& core, CFirmwareInstaller& firmware, int port, int address, const BaudChoice& baud);
