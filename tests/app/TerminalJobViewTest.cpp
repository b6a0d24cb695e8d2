// The terminal view of an unattended run: the progress line redrawn in place, messages between
// redraws, and the rate and time left it shows; the status line of several serial lines worked at
// once, its segments and its redrawing.
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

// Segments as wide as each other, in the order given; the time left goes first, then the bar.
TEST(TerminalJobView, LinesLayout)
{
    const auto sending = [](int port, unsigned long done, unsigned long total) {
        // 5,000 B/s: 310,000 bytes take 1:02.
        return LineProgress{port, "Downloading", true, done, total, 50000, milliseconds(10000)};
    };
    const auto step = [](int port, const char* text) { return LineProgress{port, text, false, 0, 0, 0, {}}; };
    const auto bar = [](std::size_t filled, std::size_t empty) {
        return "[" + std::string(filled, '#') + std::string(empty, '-') + "]";
    };
    const std::string longText(100, 'x');
    const struct {
        std::vector<LineProgress> lines;
        std::string line;
    } cases[] = {
        {{sending(1, 316640, 626640)}, "COM1 " + bar(30, 31) + "  50% 1:02"},
        {{step(1, longText.c_str())}, "COM1 " + longText.substr(0, 71) + "..."},
        {{sending(1, 316640, 626640), step(2, "Reading the sign's status")},
         "COM1 " + bar(10, 10) + "  50% 1:02   COM2 Reading the sign's status"},
        {{sending(1, 316640, 626640), step(2, "Connecting with S2200 Protocol at 115200 baud"), sending(3, 0, 0),
          step(12, "\x1B[2J\xC4")},
         "COM1 " + bar(3, 3) + "  50%  COM2 Connecting...  COM3 " + bar(6, 0) + " 100%  COM12 ?[2J\xC3\x84"},
        {{sending(1, 316640, 626640), step(2, "Reading the sign's status"), step(3, ""), step(4, "Done"),
          step(5, "Rebooting")},
         "COM1 50%" + std::string(8, ' ') + "COM2 Readin...  COM3" + std::string(12, ' ') + "COM4 Done" +
             std::string(7, ' ') + "COM5 Rebooting"},
        {{}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LinesProgressLine(c.lines), c.line);
}

TEST(TerminalJobView, LinesRedrawnInPlace)
{
    std::ostringstream out;
    std::chrono::steady_clock::time_point now{};
    CTerminalJobView view(out, [&now] { return now; });
    const auto at = [&now](int ms) { now = std::chrono::steady_clock::time_point{} + milliseconds(ms); };
    at(0);
    view.SetLineProgressText(2, "Connecting", "");
    at(10);
    view.SetLineProgressText(1, "Downloading firmware", ""); // a segment appears: drawn at once
    at(20);
    view.ShowLineTransferProgress(1, "FX40211.EXE", 0, 10000);
    at(60);
    view.ShowLineTransferProgress(1, "FX40211.EXE", 2000, 10000); // within 100 ms
    at(70);
    view.SetLineProgressText(2, "Connecting", ""); // the next try: nothing new
    at(80);
    view.ShowMessageLine("Sign 2 answered");
    at(90);
    view.SetLineProgressText(2, "Reading status", ""); // drawn again after the message
    at(1020);
    view.ShowLineTransferProgress(1, "FX40211.EXE", 6000, 10000);
    at(1030);
    view.ShowLineTransferProgress(1, "FX40211.EXE", 10000, 10000); // complete: its step again
    at(1040);
    view.ShowLineTransferProgress(1, "FX40211.EXE", 10000, 10000);
    at(1045);
    view.SetLineProgressText(2, "Waiting for restart", ""); // a new step: drawn at once
    at(1050);
    view.EndLineProgress(2, "");
    view.EndLineProgress(2, "");
    view.EndLineProgress(1, ""); // none left: cleared
    view.ShowMessageLine("Done");

    const std::string downloading = "COM1 Downloading firmware" + std::string(13, ' ');
    EXPECT_EQ(out.str(), "COM2 Connecting"
                         "\r" + downloading + "  COM2 Connecting"
                         "\rCOM1 [--------------------]   0% --:--  COM2 Connecting"
                         "\r" + std::string(55, ' ') + "\rSign 2 answered\n"
                         "COM1 [####----------------]  20% --:--  COM2 Reading status"
                         "\rCOM1 [############--------]  60% 0:01   COM2 Reading status"
                         "\r" + downloading + "  COM2 Reading status"
                         "\r" + downloading + "  COM2 Waiting for restart"
                         "\rCOM1 Downloading firmware" + std::string(39, ' ') +
                         "\r" + std::string(64, ' ') + "\rDone\n");
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
