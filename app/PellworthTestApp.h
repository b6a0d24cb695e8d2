#pragma once
// The application object: parses the command line and runs what it asks for. The main window is
// not part of this build, so the interactive and job switches are parsed but not yet acted on.

#include "PathSystem.h"
#include "PellworthCmdLineInfo.h"

#include <ostream>
#include <string>
#include <vector>

class CPellworthTestApp {
public:
    // args: the process arguments after the program name; out receives the usage text.
    CPellworthTestApp(std::vector<std::string> args, std::ostream& out);

    CPellworthTestApp(const CPellworthTestApp&) = delete;
    CPellworthTestApp& operator=(const CPellworthTestApp&) = delete;

    // Parses the switches and returns the process exit status. Call once.
    int Run();

    CPellworthCmdLineInfo& GetCmdLineInfo() { return m_cmdInfo; }

    static const char* UsageText();

private:
    std::vector<std::string> m_args;
    std::ostream& m_out;
    CPosixPathSystem m_paths;  // before m_cmdInfo, which refers to it
    CPellworthCmdLineInfo m_cmdInfo;
};
