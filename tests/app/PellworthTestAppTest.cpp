#include "common/TestEnv.h"
#include "app/ExitStatus.h"
#include "app/PellworthCmdLineInfo.h"
#include "app/PellworthTestApp.h"
#include "app/Version.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <sstream>

namespace {

TEST(PellworthTestApp, HelpPrintsUsageAndSucceeds)
{
    for (const char* request : {"-h", "--help", "/?"}) {
        std::ostringstream out;
        CPellworthTestApp app({"-ping", "COM1", request}, out);
        EXPECT_EQ(app.Run(), 0) << request;
        EXPECT_EQ(out.str(), CPellworthTestApp::UsageText()) << request;
    }
}

TEST(PellworthTestApp, VersionIsPrintedWithoutRunningAnything)
{
    std::ostringstream out, err;
    CPellworthTestApp app({"--version", "-s"}, out, err);
    EXPECT_EQ(app.Run(), 0);
    EXPECT_EQ(out.str(), std::string("QVXFirmInstaller ") + ToolVersion() + "\n");
    EXPECT_EQ(std::string(ToolVersion()).rfind(QVX_PROJECT_VERSION ".", 0), 0u) << "the project's version";
    EXPECT_EQ(err.str(), "");
}

bool IsWordChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

// The help is read on an 80-column terminal, and a switch the parser takes but the help leaves
// out is one nobody finds.
TEST(PellworthTestApp, UsageFitsEightyColumnsAndNamesEverySwitchAndStatus)
{
    const std::string usage = CPellworthTestApp::UsageText();
    std::istringstream lines(usage);
    for (std::string line; std::getline(lines, line);)
        EXPECT_LE(line.size(), 80u) << line;
    for (const auto& [word, valueForm] : CPellworthCmdLineInfo::SwitchWords()) {
        const std::string written = "-" + std::string(word);
        bool found = false;
        for (auto at = usage.find(written); at != std::string::npos && !found; at = usage.find(written, at + 1)) {
            const std::size_t end = at + written.size();
            found = (at == 0 || !IsWordChar(usage[at - 1])) && (end == usage.size() || !IsWordChar(usage[end]));
        }
        EXPECT_TRUE(found) << written;
    }
    for (const int status : {exitstatus::kDone, exitstatus::kNoAnswer, exitstatus::kUsage, exitstatus::kCannotOpen,
                             exitstatus::kBusy, exitstatus::kNotOurs, exitstatus::kRefused, exitstatus::kDiffers,
                             exitstatus::kJobRecordLost, exitstatus::kEchoes, 4, 9})
        EXPECT_NE(usage.find("\n  " + std::to_string(status) + " "), std::string::npos) << status;
    for (const char* item : {"--help", "/?", "--version", "129, 130, 143", "QVX_PORT_DIR"})
        EXPECT_NE(usage.find(item), std::string::npos) << item;
}

// A value left out must not turn into a default: every switch that needs one, at the end of the
// line, before another switch, or empty.
TEST(PellworthTestApp, SwitchWithoutItsValueIsAUsageError)
{
    for (const auto& [word, valueForm] : CPellworthCmdLineInfo::SwitchWords()) {
        if (valueForm.empty())
            continue;
        const std::string written = "-" + std::string(word);
        for (const std::vector<std::string>& args : {std::vector<std::string>{written},
                                                     std::vector<std::string>{written, "-l1"},
                                                     std::vector<std::string>{written, ""}}) {
            SCOPED_TRACE(written + " followed by " + std::to_string(args.size() - 1) + " argument(s)");
            std::ostringstream out, err;
            CPellworthTestApp app(args, out, err);
            EXPECT_EQ(app.Run(), exitstatus::kUsage);
            const std::string said = "qvxfirminstaller: " + written + " needs its value: " + written + " " +
                                     std::string(valueForm) + "; ";
            EXPECT_EQ(err.str().rfind(said, 0), 0u) << err.str();
            EXPECT_EQ(out.str(), "");
        }
    }
    const struct {
        std::vector<std::string> args;
        std::string err;
    } lines[] = {
        {{"-restorefactory", "COM9", "-yes", "-holdtime"},
         "-holdtime needs its value: -holdtime <minutes>; nothing was sent (see --help).\n"},
        {{"-startpattern", "COM9", "-pattern", "-b", "19200"},
         "-pattern needs its value: -pattern <number or name>; nothing was sent (see --help).\n"},
        {{"-s", "-df"}, "-df needs its value: -df <file>; the job was not started (see --help).\n"},
        {{"-f"}, "-f needs its value: -f <file>; nothing was started (see --help).\n"},
    };
    for (const auto& c : lines) {
        std::ostringstream out, err;
        CPellworthTestApp app(c.args, out, err);
        EXPECT_EQ(app.Run(), exitstatus::kUsage);
        EXPECT_EQ(err.str(), "qvxfirminstaller: " + c.err);
    }
}

TEST(PellworthTestApp, InteractiveStartWithoutWindowFails)
{
    // A script must never read "nothing happened" as success.
    for (const std::vector<std::string>& args : {std::vector<std::string>{}, std::vector<std::string>{"-a"}}) {
        std::ostringstream out, err;
        CPellworthTestApp app(args, out, err);
        EXPECT_EQ(app.Run(), exitstatus::kUsage);
        EXPECT_NE(err.str().find("not part of this build"), std::string::npos) << err.str();
    }
}

TEST(PellworthTestApp, InputsReadUnexpectedlyGetOneNote)
{
    const std::string note = "qvxfirminstaller: note: ";
    const struct {
        std::vector<std::string> args;
        const char* timeScale; // QVX_TIME_SCALE, or unset
        int status;
        std::string err;
    } cases[] = {
        {{"-b", "19k2", "-ping", "COM99"}, nullptr, exitstatus::kCannotOpen,
         note + "-b \"19k2\" reads as 19 (its leading digits), which is not one of the tool's rates; it is tried "
                "as it is.\n"},
        {{"-b", "fast", "-ping", "COM99"}, nullptr, exitstatus::kCannotOpen,
         note + "-b \"fast\" is not a rate; it reads as 0, so all eight rates are tried.\n"},
        {{"-b", "12345", "-ping", "COM99"}, nullptr, exitstatus::kCannotOpen,
         note + "-b 12345 is not one of the tool's rates (115200, 19200, 56700, 38400, 28800, 9600, 4800, 2400); "
                "it is tried as it is.\n"},
        {{"-b", "19200", "-ping", "COM99"}, nullptr, exitstatus::kCannotOpen, ""},
        {{"-ping", "COM99", "-b"}, nullptr, exitstatus::kCannotOpen, ""},
        {{"-ping", "COM99"}, "abc", exitstatus::kCannotOpen,
         note + "QVX_TIME_SCALE=\"abc\" is not a factor above 0 and up to 1000; the default 1 is used.\n"},
        {{"-ping", "COM99"}, "0", exitstatus::kCannotOpen,
         note + "QVX_TIME_SCALE=\"0\" is not a factor above 0 and up to 1000; the default 1 is used.\n"},
        {{"-ping", "COM99"}, "0.5", exitstatus::kCannotOpen, ""},
        {{"-lf", "run.txt", "-ping", "COM99"}, nullptr, exitstatus::kCannotOpen,
         note + "-lf names a log file, but without -l1 no log is written.\n"},
        {{"-ping", "COM99", "-pnig"}, nullptr, exitstatus::kCannotOpen,
         note + "-pnig is not a switch of this tool and is ignored.\n"},
        {{"-ping", "COM3:1", "-info", "COM3:5"}, nullptr, exitstatus::kUsage,
         "qvxfirminstaller: -s, -plan, -ping, -info, -loopback and the display actions are separate runs; give one of them "
         "(see --help).\n"},
    };
    UnsetEnv("QVX_PORT_DIR"); // COM99 is no port of this machine
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.args[1]);
        if (c.timeScale != nullptr)
            SetEnv("QVX_TIME_SCALE", c.timeScale);
        std::ostringstream out, err;
        CPellworthTestApp app(c.args, out, err);
        EXPECT_EQ(app.Run(), c.status);
        EXPECT_EQ(err.str(), c.err);
        UnsetEnv("QVX_TIME_SCALE");
    }
    // The job takes each display's rate from its list; on a terminal its lines follow the note.
    std::ostringstream out, err;
    CPellworthTestApp job({"-s", "-b", "fast", "-df", "none.dat"}, out, err);
    EXPECT_EQ(job.Run(), 9) << "no display list";
    EXPECT_EQ(err.str().rfind(note + "-b is not used by -s: each display's rate comes from the display list.\n", 0), 0u)
        << err.str();
}

}  // namespace
