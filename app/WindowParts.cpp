#include "app/WindowParts.h"

#include "app/PellworthTestApp.h"

WindowParts WindowPartsOf(CPellworthTestApp& app)
{
    CPellworthCmdLineInfo& cmd = app.GetCmdLineInfo();
    WindowParts parts{app.GetCore(), app.GetFirmware(), app.GetConfig(), false, std::string(), BaudChoice{}, {}, {}};
    parts.bAutoJob = cmd.IsAuto();
    parts.strDisplaysFile = cmd.GetDisplaysFilePath();
    parts.bParallel = cmd.GetOptions().bParallel;
    parts.strDisplaysAsGiven = cmd.GetDisplaysFileAsGiven();
    parts.strDisplaysLookedAt = cmd.GetDisplaysFileLookedAt();
    parts.baud = BaudChoice{cmd.IsBaudGiven(), cmd.GetBaudRate()};
    return parts;
}
