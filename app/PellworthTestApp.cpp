#include "PellworthTestApp.h"

#include "PingCommand.h"
#include "app/InfoCommand.h"
#include "app/SignalWatch.h"
#include "app/TerminalJobView.h"
#include "update/AutomaticJob.h"

#include <csignal>
#include <memory>
#include <utility>

CPellworthTestApp::CPellworthTestApp(std::vector<std::string> args, std::ostream& out, std::ostream& err)
    : m_args(std::move(args)), m_out(out), m_err(err), m_cmdInfo(m_paths), m_console(out), m_core(m_view),
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
    if (m_cmdInfo.IsSilent() && !CheckJobSwitches())
        return kCannotStart;
    OpenJobLog();
    m_firmware.SetSwitches(ReadFirmwareSwitches());
    if (m_cmdInfo.IsSilent())
        return RunUnattendedJob();
    if (m_cmdInfo.IsPing())
        return RunPing(m_cmdInfo, m_out);
    if (m_cmdInfo.IsInfo())
        return RunInfo(m_cmdInfo, m_core, m_firmware);
    // A script must never read "nothing happened" as success.
    m_err << (m_cmdInfo.IsAuto() ? "qvxfirminstaller: -a runs the job in the window, which is not part of this "
                                   "build; -s runs it unattended.\n"
                                 : "qvxfirminstaller: the interactive window is not part of this build; see --help.\n");
    return kCannotStart;
}

bool CPellworthTestApp::CheckJobSwitches()
{
    for (const std::string& word : m_cmdInfo.GetUnknownSwitches()) {
        m_err << "qvxfirminstaller: unknown switch -" << word << "; the job was not started (see --help).\n";
        return false;
    }
    if (m_cmdInfo.IsPing() || m_cmdInfo.IsInfo()) {
        m_err << "qvxfirminstaller: -s runs the whole job; it does not go with -ping or -info. The job was not "
                 "started.\n";
        return false;
    }
    if (m_cmdInfo.IsReport() && m_cmdInfo.GetReportFilePath().empty()) {
        m_err << "qvxfirminstaller: -report needs the report's file name (not too long). The job was not started.\n";
        return false;
    }
    return true;
}

int CPellworthTestApp::RunUnattendedJob()
{
    // On a terminal the lines and a bar for each transfer; for schedulers nothing but the log,
    // the report and the exit status.
    std::unique_ptr<IInstallerView> view;
    if (StandardErrorIsTerminal())
        view = std::make_unique<CTerminalJobView>(m_err);
    else
        view = std::make_unique<CNoView>();
    m_view.Use(*view);
    // The job's result is kept (and is the exit status) even without a log file to write it to.
    m_core.Messages().SetLogging(true);
    CAutomaticUpdateJob job(m_core, m_firmware, m_cmdInfo.GetDisplaysFilePath());
    int result = 0;
    {
        // A signal is the operator's Abort: the exchange under way ends, nothing follows.
        CSignalWatch watch({SIGINT, SIGTERM}, [this](int) { m_core.Interrupt(); });
        result = job.RunAutomaticUpdates(true);
    }
    m_core.CloseLink();
    view->ShowMessageLine(m_core.LogManager().GetJobLine());
    if (m_cmdInfo.IsReport())
        WriteReport(job.Report());
    m_view.Use(m_console);
    return result;
}

void CPellworthTestApp::WriteReport(const JobReport& report)
{
    const std::string path = m_cmdInfo.GetReportFilePath();
    std::string fault;
    if (!WriteJobReport(path, report, fault))
        m_err << "qvxfirminstaller: the job report could not be written to " << path << ": " << fault << "\n";
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
           "                       (includes -a); SIGINT or SIGTERM aborts it as the Abort\n"
           "                       button does\n"
           "  -f <file>            install this firmware file instead of the built-in firmware\n"
           "  -l1                  write the job log to a file\n"
           "  -lf <file>           the log file for -l1 (default: QvxFirmLog.txt in the program's\n"
           "                       folder); missing folders of an absolute path are created\n"
           "  -df <file>           the display list for the automatic update job (no default)\n"
           "  -anyfirm             give every display the firmware, whatever it has installed\n"
           "  -b [rate]            Auto Connect tries only this baud rate; without a rate, all\n"
           "                       eight rates\n"
           "  -report <file>       with -s: also write a JSON report of the job (one entry per\n"
           "                       display), replaced whole at the end of the run\n"
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
           "The exit status of an unattended run (-s) is its job result code, the code of the job\n"
           "line that ends the log (0 all displays went well, 4 no critical errors, 9 a critical\n"
           "error), with or without -l1; task codes such as 600 are in the log and the report,\n"
           "never the exit status. A run that cannot start at all (an unknown switch with -s, -s\n"
           "with -ping or -info, or an interactive start: the window is not part of this build)\n"
           "exits 2. With -s, standard error shows the lines and a bar for each transfer when it\n"
           "is a terminal, and nothing otherwise.\n";
}
