// The terminal view of an unattended run: the progress line redrawn in place, messages between
// redraws, and the rate and time left it shows.
#include "app/TerminalJobView.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using std::chrono::milliseconds;

TEST(TerminalJobView, TransferWithMessageInBetween)
{
    std::ostringstream out;
    std::chrono::steady_clock::time_point now{};
    CTerminalJobView view(out, [&now] { return now; });
    const struct {
        int atMs;
        unsigned long done; // or a message
        const char* message;
    } steps[] = {
        {0, 0, nullptr},
        {50, 246, nullptr},  // within 100 ms of the last drawing
        {120, 1230, nullptr},
        {150, 0, "Sending \x1B[2J\x07\t\xB0\x9B\x7F"}, // control bytes shown, not sent
        {160, 2460, nullptr}, // drawn again at once after the message
        {200, 3690, nullptr}, // and that drawing counts as the last one
        {13000, 313320, nullptr},
        {13050, 626640, nullptr}, // the last update is always drawn
        {13100, 626640, nullptr}, // a repeat of it is not
        {13200, 0, "Done"},
    };
    for (const auto& step : steps) {
        now = std::chrono::steady_clock::time_point{} + milliseconds(step.atMs);
        if (step.message)
            view.ShowMessageLine(step.message);
        else
            view.ShowTransferProgress("FX40211.EXE", step.done, 626640);
    }
    EXPECT_EQ(out.str(),
              "FX40211.EXE [-----------------]        0 / 626,640 bytes     -- B/s  --:-- left"
              "\rFX40211.EXE [-----------------]    1,230 / 626,640 bytes     -- B/s  --:-- left"
              "\r" + std::string(79, ' ') + "\rSending \\x1B[2J\\x07\t\xC2\xB0\\x9B\\x7F\n"
              "FX40211.EXE [-----------------]    2,460 / 626,640 bytes     -- B/s  --:-- left"
              "\rFX40211.EXE [########---------]  313,320 / 626,640 bytes  24.1 kB/s   0:13 left"
              "\rFX40211.EXE [#################]  626,640 / 626,640 bytes  48.0 kB/s   0:00 left\n"
              "Done\n");
}

TEST(TerminalJobView, RateAndTimeLeft)
{
    const struct {
        unsigned long done, total;
        int elapsedMs;
        const char* tail;
    } cases[] = {
        {5000, 626640, 499, "   -- B/s  --:-- left"}, // too short to tell
        {960, 626640, 1000, "  960 B/s  10:52 left"},
        {9996, 626640, 10000, " 1.0 kB/s  10:17 left"}, // 999.6 B/s
        {626000, 626640, 5000, " 125 kB/s   0:01 left"}, // a part of a second left is a second
        {100000, 699900, 1000000, "  100 B/s  99:59 left"},
        {100000, 700000, 1000000, "  100 B/s  --:-- left"}, // 100 minutes
    };
    for (const auto& c : cases) {
        const std::string line =
            TransferProgressLine("FX40211.EXE", c.done, c.total, c.done, milliseconds(c.elapsedMs));
        EXPECT_EQ(line.substr(line.size() - 21), c.tail) << c.done << " in " << c.elapsedMs << " ms";
    }
}

// At most 79 columns: the bar gives way first, then the name.
TEST(TerminalJobView, LineLayout)
{
    const struct {
        const char* name;
        unsigned long done, total;
        const char* line;
    } cases[] = {
        {"FX40211.EXE", 0, 0, "FX40211.EXE [####################]  0 / 0 bytes     -- B/s   0:00 left"},
        {"FX40211.EXE", 700000, 626640,
         "FX40211.EXE [#################]  626,640 / 626,640 bytes     -- B/s   0:00 left"},
        {"A_VERY_LONG_EXTERNAL_FIRMWARE_NAME_1.EXE", 0, 626640,
         "A_VERY_LONG_EXT... [----------]        0 / 626,640 bytes     -- B/s  --:-- left"},
        {"\x1B[2J\xC4.EXE", 0, 626640,
         "?[2J\xC3\x84.EXE [-------------------]        0 / 626,640 bytes     -- B/s  --:-- left"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TransferProgressLine(c.name, c.done, c.total, 0, milliseconds(0)), c.line);
}

TEST(TerminalJobView, QuestionsAndBoxesBecomeLines)
{
    std::ostringstream out;
    CTerminalJobView view(out);
    EXPECT_FALSE(view.AskYesNo("Install the recommended\nfirmware?"));
    view.ShowMessageBox("Port busy\nTry again");
    view.RunWithProgress([&view] { view.ShowMessageLine("inline"); }, {});
    EXPECT_EQ(out.str(), "Install the recommended firmware? -> No (not asked on the command line)\n"
                         "Port busy Try again\ninline\n");
}

} // namespace
