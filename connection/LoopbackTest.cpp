#include "connection/LoopbackTest.h"

#include "connection/InstallerCore.h"
#include "link/S22EchoTest.h"

namespace {

// A bound no test reaches (the long test is a few thousand steps): a step that neither ends nor
// advances cannot loop forever.
constexpr unsigned long kMaxSteps = 1000000;

} // namespace

CLoopbackTest::Outcome CLoopbackTest::Run(int port, Kind kind, const ProgressFn& progress,
                                          const CancelledFn& cancelled)
{
    auto hold = m_core.Session().HoldLink();
    CS22SignLink& link = m_core.Session().Link();
    const int type = static_cast<int>(kind);
    Outcome outcome;
    // Opened here, not by the test, so that a port that cannot be opened is told from a line that
    // does not loop.
    const bool opened = !link.IsOpen();
    if (opened && link.OpenPort(static_cast<short>(port), CS22EchoTest::kEchoTestBaud, 0) != S22NET_OK) {
        outcome.failure = Failure::CannotOpen;
        return outcome;
    }
    CS22EchoTest echo(link);
    if (!echo.StartEchoTest(static_cast<short>(port), type)) {
        outcome.failure = Failure::NothingBack;
    } else {
        for (unsigned long step = 0; step < kMaxSteps; ++step) {
            const int result = echo.EchoTestStep();
            echo.GetEchoTestProgress(outcome.bytesDone, outcome.bytesTotal);
            progress(outcome.bytesDone, outcome.bytesTotal);
            if (result == CS22EchoTest::kEchoPassed) {
                outcome.result = Result::Passed;
                break;
            }
            // A stop signal aborts the link and so cuts a step short: a cancel, not a faulty line.
            if (cancelled()) {
                outcome.result = Result::Cancelled;
                break;
            }
            if (result == CS22EchoTest::kEchoFailed) {
                outcome.failure = Failure::EchoDiffers;
                break;
            }
        }
    }
    echo.EndEchoTest(type);
    if (opened)
        link.ClosePort();
    return outcome;
}

const char* CLoopbackTest::ResultText(Result result)
{
    switch (result) {
    case Result::Passed:
        return "Test Passed";
    case Result::Cancelled:
        return "Test Cancelled";
    case Result::Failed:
        break;
    }
    return "Test Failed";
}

int CLoopbackTest::ProgressPercent(unsigned long done, unsigned long total)
{
    if (total == 0)
        return 0;
    const unsigned long shown = done < total ? done : total;
    return static_cast<int>(shown * 100.0 / static_cast<double>(total));
}
