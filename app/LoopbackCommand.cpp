#include "app/LoopbackCommand.h"

#include "app/ExitStatus.h"
#include "app/PellworthCmdLineInfo.h"
#include "app/PortOpenReport.h"
#include "connection/InstallerCore.h"
#include "connection/LoopbackTest.h"
#include "link/S22EchoTest.h"

#include <ostream>
#include <string>

namespace {

// The long test sends the whole firmware package at 19200 baud (minutes): a line at every tenth.
class CTenthsShown {
public:
    explicit CTenthsShown(std::ostream& out) : m_out(out) {}
    void operator()(unsigned long done, unsigned long total)
    {
        if (total == 0)
            return;
        const unsigned long tenth = done >= total ? 10 : done * 10 / total;
        if (tenth <= m_nShown || tenth == 10)
            return;
        m_nShown = tenth;
        m_out << "  " << tenth * 10 << " %: " << done << " of " << total << " bytes came back as sent\n" << std::flush;
    }

private:
    std::ostream& m_out;
    unsigned long m_nShown = 0;
};

int FailureStatus(const CLoopbackTest::Outcome& outcome, int com, CInstallerCore& core, std::ostream& out)
{
    switch (outcome.failure) {
    case CLoopbackTest::Failure::CannotOpen: {
        const int status = ReportPortNotOpened(out, com, core.Session().Link().Port().LastOpenFailure());
        out << "Test Failed\n";
        return status;
    }
    case CLoopbackTest::Failure::EchoDiffers:
        out << "Test Failed: the echo stopped or differed after " << outcome.bytesDone << " of " << outcome.bytesTotal
            << " bytes (a faulty cable, plug or adapter).\n";
        return exitstatus::kEchoDiffers;
    case CLoopbackTest::Failure::NothingBack:
    case CLoopbackTest::Failure::None:
        break;
    }
    out << "Test Failed: nothing came back; is the loop-back plug on COM" << com << "?\n";
    return exitstatus::kNoAnswer;
}

} // namespace

int RunLoopback(const CPellworthCmdLineInfo& cmdInfo, std::ostream& out, CInstallerCore& core)
{
    int com = 0;
    int address = 0;
    const std::string target = cmdInfo.GetOptions().strLoopback;
    if (!ParseComTarget(target, com, address) || com > 255 || target.find(':') != std::string::npos) {
        out << "loopback: \"" << target << "\" is not a port, use COM<n>\n";
        return exitstatus::kUsage;
    }
    const bool longTest = cmdInfo.GetOptions().bLongLoopback;
    out << "Loop-back test on COM" << com << " at " << CS22EchoTest::kEchoTestBaud << " baud: the "
        << (longTest ? "long test (the firmware package)" : "short test") << ".\n";
    CTenthsShown shown(out);
    CLoopbackTest test(core);
    const CLoopbackTest::Outcome outcome =
        test.Run(com, longTest ? CLoopbackTest::Kind::Long : CLoopbackTest::Kind::Short,
                 [&](unsigned long done, unsigned long total) { shown(done, total); },
                 [&] { return core.IsCancelled(); });
    if (outcome.result == CLoopbackTest::Result::Passed) {
        out << "Test Passed: " << outcome.bytesDone << " bytes came back as sent.\n";
        return exitstatus::kDone;
    }
    if (outcome.result == CLoopbackTest::Result::Cancelled) {
        out << "Test Cancelled\n";
        return exitstatus::kNoAnswer; // the signal's own status replaces it
    }
    return FailureStatus(outcome, com, core, out);
}
