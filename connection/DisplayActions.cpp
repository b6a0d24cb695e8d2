#include "connection/DisplayActions.h"

#include "connection/InstallerCore.h"

namespace {

constexpr int kModeNormal = 0;
constexpr int kModeTestPattern = 2;
constexpr int kModeMemoryCleanup = 3;

} // namespace

const std::vector<std::string>& CDisplayActions::TestPatternNames()
{
    static const std::vector<std::string> names = {
        "Cycle Test Patterns", "Odd Vertical Bars",   "Even Vertical Bars", "Odd Horizontal Bars", "Even Horizontal Bars",
        "Odd Diagonals",       "Even Diagonals",      "All Off",            "All On",              "Moving Columns",
        "Moving Rows",         "Quorvantix Logo",     "Module Numbers",     "Cycle Boot Sequence"};
    return names;
}

short CDisplayActions::DisplayModeJob(const char* progress, int address, int value, int mode)
{
    short result = ERR_SIGN_ABORT;
    m_core.RunJob([&] {
        m_core.Runner().Progress().Text(progress);
        result = m_core.Session().Link().SetDisplayMode(static_cast<unsigned char>(address), static_cast<unsigned char>(value),
                                              static_cast<unsigned char>(mode), nullptr);
    });
    return result;
}

short CDisplayActions::StartTestPattern(int address, int pattern)
{
    const short result = DisplayModeJob("Starting Test Pattern", address, pattern, kModeTestPattern);
    if (result == S22NET_OK)
        m_core.AddStatusMessage("Test pattern is now running");
    else if (result == ERR_SIGN_ABORT)
        m_core.AddStatusMessage("Running test patterns was aborted");
    else
        m_core.AddStatusMessage("Selected test pattern failed to run");
    return result;
}

short CDisplayActions::StopTestPattern(int address)
{
    const short result = DisplayModeJob("Stoping test pattern", address, 0, kModeNormal);
    if (result == S22NET_OK)
        m_core.AddStatusMessage("Sign has been set into normal mode");
    else if (result == ERR_SIGN_ABORT)
        m_core.AddStatusMessage("Aborted command to stop test pattern");
    else
        m_core.AddStatusMessage("Could not put sign back into normal mode");
    return result;
}

bool CDisplayActions::ConfirmMemoryCleanup()
{
    return m_core.View().AskYesNo("This process may take several minutes.\nDo you want to continue?");
}

short CDisplayActions::MemoryCleanup(int address)
{
    const short result = DisplayModeJob("Clearing memory", address, 0, kModeMemoryCleanup);
    if (result == S22NET_OK)
        m_core.AddStatusMessage("Memory on the display has been cleared");
    else if (result == ERR_SIGN_ABORT)
        m_core.AddStatusMessage("Clear sign memory was aborted");
    else
        m_core.AddErrorMessage(106, "Memory could not be cleared on the display");
    DisconnectDisplay();
    m_core.View().ShowMessageBox("The display has been reset and the connection will now be closed.\n"
                                 "Wait until the memory check is complete before reconnecting.");
    return result;
}

short CDisplayActions::ResetDisplay(int address)
{
    short result = ERR_SIGN_ABORT;
    m_core.RunJob([&] {
        m_core.Runner().Progress().Text("Reseting Display");
        result = m_core.Session().Link().ResetDisplay(static_cast<unsigned char>(address), 1, 0, nullptr);
    });
    m_core.AddStatusMessage("The display has been reset.");
    m_core.View().ShowMessageBox("The display has been reset and the connection will now be closed.\n"
                                 "Wait until the boot sequence is complete before reconnecting.");
    DisconnectDisplay();
    return result;
}

short CDisplayActions::SetTimeDate(int address, std::uint32_t secondsSince1970)
{
    short result = ERR_SIGN_ABORT;
    m_core.RunJob([&] {
        m_core.Runner().Progress().Text("Setting Time/Date");
        result = m_core.Session().Link().SetTime(static_cast<unsigned char>(address), secondsSince1970, nullptr, 0);
    });
    // Saying "set" for a clock that a silent or refusing display never took would send the
    // technician away with the wrong time on the display.
    const char* outcome = "The display's time & date has been set.";
    if (result == ERR_SIGN_ABORT)
        outcome = "Setting the display's time & date was aborted.";
    else if (result != S22NET_OK)
        outcome = "The display's time & date could not be set.";
    m_core.AddStatusMessage(outcome);
    m_core.View().ShowMessageBox(outcome);
    return result;
}

void CDisplayActions::DisconnectDisplay()
{
    const bool closed = m_core.Session().Disconnect() == S22NET_OK;
    m_core.AddStatusMessage(closed ? "Sign is disconnected..." : "Could not disconnect from the COM Port!");
}
