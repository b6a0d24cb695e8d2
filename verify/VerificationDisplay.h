#pragma once
// The connected display as the verification test sees it: size, colour bit code, whether the
// messages go into the 80 x 32 window, and the firmware line, which picks the factory set.

#include <string_view>

class CInstallerCore;

struct VerificationDisplay {
    int nWidth = 0;
    int nHeight = 0;
    int nColourBitCode = 0; // 6 and 8 monochrome, 15 and 24 RGB
    bool bWindow = false;
    bool bFirmwareLine = false;
};

// A 48 x 144 display whose module type (CONFIG.XML mid, any case) holds "FX40158.RBF": its panels
// show the verification messages in an 80 x 32 window.
bool UsesVerificationWindow(int width, int height, std::string_view moduleType);

// The sizes and colours the verification messages and factory sets are made for; 48 x 144 and
// 64 x 192 RGB only on the firmware line.
bool IsStandardDisplay(const VerificationDisplay& display);

// The display the core is connected to: its sign type's rows and columns and bit code, the module
// type of its CONFIG.XML and the core's firmware line flag.
VerificationDisplay ConnectedVerificationDisplay(CInstallerCore& core);
