#pragma once
// The serial loop-back test as an operation of the core: a loop-back plug on a COM port sends back
// every byte, and the test checks that what comes back is what was sent (a short fixed text, or
// the whole embedded firmware package for the long test), at 19200 baud. The window and the
// command line only start it and show its progress and result.

#include <functional>
#include <string>

class CInstallerCore;

class CLoopbackTest {
public:
    enum class Kind { Short = 0, Long = 1 };
    // The numbers are the window's result codes.
    enum class Result {
        Passed = 1,
        Failed = 2,
        Cancelled = 3,
    };
    // Why a failed test failed, for the lines of the command line (the window shows "Test Failed").
    enum class Failure {
        None,
        CannotOpen,   // the port is not there, busy or not permitted (Port().LastOpenFailure())
        NothingBack,  // nothing, or something else, came back for the first byte: no plug, or no loop
        EchoDiffers,  // the echo stopped or differed partway: a faulty cable, plug or adapter
    };
    struct Outcome {
        Result result = Result::Failed;
        Failure failure = Failure::None;
        unsigned long bytesDone = 0;
        unsigned long bytesTotal = 0;
    };
    using ProgressFn = std::function<void(unsigned long done, unsigned long total)>;
    using CancelledFn = std::function<bool()>;

    explicit CLoopbackTest(CInstallerCore& core) : m_core(core) {}

    // Runs the whole test on the calling thread, holding the link: the keep-alive and every job
    // leave it alone meanwhile. cancelled is asked after every step of up to 256 bytes.
    Outcome Run(int port, Kind kind, const ProgressFn& progress, const CancelledFn& cancelled);

    // The window's words for a result: "Test Passed", "Test Failed", "Test Cancelled".
    static const char* ResultText(Result result);
    // The window's bar for the progress reported: 0 to 100, done above total counting as total.
    static int ProgressPercent(unsigned long done, unsigned long total);

private:
    CInstallerCore& m_core;
};
