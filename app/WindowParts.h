#pragma once
// What a main window works with, taken from the application: the core and the operations it
// calls, and the command line's choices a window acts on. The application owns them for the whole
// run; the Qt window and the Windows window are given the same.

#include "connection/DisplayConnector.h"

#include <string>

class CConfigDownloader;
class CFirmwareInstaller;
class CInstallerCore;
class CPellworthTestApp;

struct WindowParts {
    CInstallerCore& core;
    CFirmwareInstaller& firmware;
    CConfigDownloader& config;
    bool bAutoJob = false;           // "a": run the automatic update job once the window is up
    std::string strDisplaysFile;     // its display list ("df")
    BaudChoice baud{};               // "b": the rates Auto Connect tries
    std::string strDisplaysAsGiven;  // "df" as written
    std::string strDisplaysLookedAt; // the path it names
    bool bParallel = false;          // "parallel": its COM ports worked at the same time
};

WindowParts WindowPartsOf(CPellworthTestApp& app);
