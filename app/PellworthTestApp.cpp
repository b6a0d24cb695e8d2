#include "PellworthTestApp.h"

#include "PingCommand.h"
#include "app/InfoCommand.h"

#include <utility>

CPellworthTestApp::CPellworthTestApp(std::vector<std::string> args, std::ostream& out, std::ostream& err)
    : m_args(std::move(args)), m_out(out), m_err(err), m_cmdInfo(m_paths), m_view(out), m_core(m_view),
      m_firmware(m_core, FirmwareSwitches{})
{
}

int CPellworthTestApp::Run()
{
    m_cmdInfo.Parse(m_args);
    if (m_cmdInfo.IsHelp()) {
        m_out << UsageText();
        return 0;
    }
    OpenJobLog();
    m_firmware.SetSwitches(ReadFirmwareSwitches());
    if (m_cmdInfo.IsPing())
        return RunPing(m_cmdInfo, m_out);
    if (m_cmdInfo.IsInfo())
        return RunInfo(m_cmdInfo, m_core, m_firmware);
    m_out << "qvxfirminstaller: the interactive window is not part of this build; see --help.\n";
    return 0;
}

void CPellworthTestApp::OpenJobLog()
{
    if (!m_cmdInfo.IsLogging())
        return;
    // Resolving the path makes its folder, and turns logging off when that fails.
    const std::string path = m_cmdInfo.GetLogFilePath();
    if (path.empty()) {
        m_err << "qvxfirminstaller: the job log's path is too long; the run goes on without a log.\n";
        return;
    }
    if (!m_cmdInfo.IsLogging()) {
        m_err << "qvxfirminstaller: the job log's folder could not be made for " << path
              << "; the run goes on without a log.\n";
        return;
    }
    if (!m_core.OpenLog(path))
        m_err << "qvxfirminstaller: the job log could not be opened at " << path << "; the run goes on without it.\n";
}

FirmwareSwitches CPellworthTestApp::ReadFirmwareSwitches() const
{
    FirmwareSwitches switches;
    switches.bFirmwareFile = m_cmdInfo.IsFirmwareFile();
    switches.strFirmwarePath = m_cmdInfo.GetFirmwareFilePath();
    switches.strFirmwareFileName = m_cmdInfo.GetFirmwareFileName();
    switches.bAnyFirmware = m_cmdInfo.IsAnyFirmware();
    return switches;
}

const char* CPellworthTestApp::UsageText()
{
    return "Usage: qvxfirminstaller [switch [value]]...\n"
           "\n"
           "Switches begin with '-' or '/' and are not case-sensitive; '/' starts a switch only for\n"
           "the words below, so absolute paths work as values. A value follows its switch;\n"
           "given twice, the second counts.\n"
           "\n"
           "  -a                   run the automatic update job in the window, then stay open\n"
           "  -s                   run the automatic update job unattended, without a window\n"
           "                       (includes -a)\n"
           "  -f <file>            install this firmware file instead of the built-in firmware\n"
           "  -l1                  write the job log to a file\n"
           "  -lf <file>           the log file for -l1 (default: QvxFirmLog.txt in the program's\n"
           "                       folder); missing folders of an absolute path are created\n"
           "  -df <file>           the display list for the automatic update job (no default)\n"
           "  -anyfirm             give every display the firmware, whatever it has installed\n"
           "  -b [rate]            Auto Connect tries only this baud rate; without a rate, all\n"
           "                       eight rates\n"
           "  -ping COM<n>[:<address>]\n"
           "                       ping the controller at <address> (default 1) on port COM<n>\n"
           "  -info COM<n>[:<address>]\n"
           "                       connect to the display at <address> (default 1) on port COM<n>\n"
           "                       as Auto Connect does (-b applies), read its configuration and\n"
           "                       status and print them; exit status 0 when both were read, else\n"
           "                       the connection result (1 no answer, 2 port busy, 3 switch\n"
           "                       refused, 4 aborted, 5 not a reader board of ours), 6 for a bad\n"
           "                       port or address\n"
           "  -h, --help, /?       show this text\n"
           "\n"
           "A relative file name, in which '\\' counts as '/', is taken from the program's folder.\n"
           "The exit status of an unattended run (-s) is its job result code, the same code that\n"
           "ends the job log.\n";
}
