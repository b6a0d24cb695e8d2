#include "common/TestEnv.h"
#include "app/ExitStatus.h"
#include "app/PellworthTestApp.h"
#include "app/Version.h"

#include <gtest/gtest.h>

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

TEST(PellworthTestApp, UsageNamesEverySwitch)
{
    const std::string usage = CPellworthTestApp::UsageText();
    for (const char* item : {"-a ", "-s ", "-f <file>", "-l1 ", "-lf <file>", "-df <file>", "-anyfirm ",
                             "-b [rate]", "-ping COM<n>[:<address>]", "-info COM<n>", "-report <file>", "--help", "/?",
                             "job result code", "129, 130, 143", "--version", "exits 10"})
        EXPECT_NE(usage.find(item), std::string::npos) << item;
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
         "qvxfirminstaller: -s, -ping, -info and the display actions are separate runs; give one of them "
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
}

}  // namespace
