#include "verify/VerificationDisplay.h"

#include "base/AsciiCase.h"
#include "connection/InstallerCore.h"
#include "verify/FactoryMessages.h"

#include <string>

namespace {

struct StandardSize {
    int height;
    int width;
    bool monoAllowed;
    bool lineOnly; // standard only on the firmware line
};

// In the order the wizard tests them.
constexpr StandardSize kStandardSizes[] = {
    {32, 80, true, false}, {32, 128, true, false}, {48, 160, true, false},
    {64, 224, true, false}, {48, 144, false, true}, {64, 192, false, true},
};

} // namespace

bool UsesVerificationWindow(int width, int height, std::string_view moduleType)
{
    if (height != 48 || width != 144)
        return false;
    return AsciiUpper(moduleType).find("FX40158.RBF") != std::string::npos;
}

bool IsStandardDisplay(const VerificationDisplay& display)
{
    const bool mono = IsMonoBitCode(display.nColourBitCode);
    const bool rgb = IsRgbBitCode(display.nColourBitCode);
    for (const StandardSize& size : kStandardSizes) {
        if (size.lineOnly && !display.bFirmwareLine)
            continue;
        if (display.nHeight == size.height && display.nWidth == size.width && (rgb || (mono && size.monoAllowed)))
            return true;
    }
    return false;
}

VerificationDisplay ConnectedVerificationDisplay(CInstallerCore& core)
{
    auto hold = core.Session().HoldLink(); // the documents change only under it
    const CS22Server_SignType& type = core.Session().SignType();
    VerificationDisplay display;
    display.nHeight = type.GetD4();
    display.nWidth = type.GetD3();
    display.nColourBitCode = type.GetBitCode();
    display.bWindow = UsesVerificationWindow(display.nWidth, display.nHeight, core.Session().Summary().strModuleType);
    display.bFirmwareLine = core.Session().IsFirmwareLine();
    return display;
}
