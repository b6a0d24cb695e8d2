#include "app/PellworthCmdLineInfo.h"

#include "FakePathSystem.h"

#include <gtest/gtest.h>

namespace {

struct Parsed {
    bool bAuto = false, bSilent = false, bLog = false, bFirmwareFile = false, bAnyFirmware = false,
         bBaud = false, bHelp = false, bPing = false;
    std::string firmwarePath{}, displaysPath{}, logPath = "/opt/qvx/QvxFirmLog.txt", baud{}, ping{};
    std::vector<std::string> created{}; // folders the log path needed
};

const struct {
    const char* name;
    std::vector<std::string> args;
    Parsed want;
} kParseCases[] = {
    {"nothing given", {}, {}},
    {"parameter before any switch is dropped", {"fw.zlb"}, {}},
    {"a", {"-a"}, {.bAuto = true}},
    {"s with slash", {"/s"}, {.bAuto = true, .bSilent = true}},
    {"s with dash", {"-s"}, {.bAuto = true, .bSilent = true}},
    {"S capital", {"/S"}, {.bAuto = true, .bSilent = true}},
    {"l1", {"-l1"}, {.bLog = true}},
    {"anyfirm in any case", {"/AnyFirm"}, {.bAnyFirmware = true}},
    {"f twice keeps second", {"-f", "one.zlb", "two.zlb"},
     {.bFirmwareFile = true, .firmwarePath = "/opt/qvx/two.zlb"}},
    {"l1 between names keeps first", {"-f", "one.zlb", "-l1", "two.zlb"},
     {.bLog = true, .bFirmwareFile = true, .firmwarePath = "/opt/qvx/one.zlb"}},
    {"unknown switch and lone dash keep the mode", {"-f", "one.zlb", "-x", "-", "two.zlb"},
     {.bFirmwareFile = true, .firmwarePath = "/opt/qvx/two.zlb"}},
    {"slash switch word after f", {"-f", "/s"}, {.bAuto = true, .bSilent = true, .bFirmwareFile = true}},
    {"b then f file", {"-b", "-f", "fw.zlb"},
     {.bFirmwareFile = true, .bBaud = true, .firmwarePath = "/opt/qvx/fw.zlb"}},
    {"b rate", {"/b", "9600"}, {.bBaud = true, .baud = "9600"}},
    {"df relative is not checked", {"-df", "Displays.dat"}, {.displaysPath = "/opt/qvx/Displays.dat"}},
    {"df absolute after dash", {"-df", "/home/x/Displays.dat"}, {.displaysPath = "/home/x/Displays.dat"}},
    {"df absolute after slash", {"/DF", "/home/x/Displays.dat"}, {.displaysPath = "/home/x/Displays.dat"}},
    {"df absolute missing", {"-df", "/home/x/Missing.dat"}, {}},
    {"lf without a value", {"-l1", "-lf"}, {.bLog = true}},
    {"lf relative with backslash", {"-lf", "logs\\run.txt"},
     {.logPath = "/opt/qvx/logs/run.txt", .created = {"/opt/qvx/logs"}}},
    {"lf leading backslash", {"-lf", "\\run.txt"}, {.logPath = "/opt/qvx/run.txt"}},
    {"ping with slash", {"/PING", "COM3:7"}, {.bPing = true, .ping = "COM3:7"}},
    {"/? is not a file value", {"-f", "fw.zlb", "/?"},
     {.bFirmwareFile = true, .bHelp = true, .firmwarePath = "/opt/qvx/fw.zlb"}},
};

TEST(PellworthCmdLineInfo, ParsesSwitchesAndParameters)
{
    for (const auto& test : kParseCases) {
        SCOPED_TRACE(test.name);
        FakePathSystem paths;
        paths.files.insert("/home/x/Displays.dat");
        paths.folders = {"/", "/opt", "/opt/qvx"};
        CPellworthCmdLineInfo info(paths);
        info.Parse(test.args);
        const Parsed& want = test.want;
        EXPECT_EQ(info.IsAuto(), want.bAuto);
        EXPECT_EQ(info.IsSilent(), want.bSilent);
        EXPECT_EQ(info.IsFirmwareFile(), want.bFirmwareFile);
        EXPECT_EQ(info.IsAnyFirmware(), want.bAnyFirmware);
        EXPECT_EQ(info.IsBaudGiven(), want.bBaud);
        EXPECT_EQ(info.GetOptions().bHelp, want.bHelp);
        EXPECT_EQ(info.GetOptions().bPing, want.bPing);
        EXPECT_EQ(info.GetFirmwareFilePath(), want.firmwarePath);
        EXPECT_EQ(info.GetDisplaysFilePath(), want.displaysPath);
        EXPECT_EQ(info.GetBaud(), want.baud);
        EXPECT_EQ(info.GetOptions().strPing, want.ping);
        EXPECT_EQ(info.GetLogFilePath(), want.logPath);
        EXPECT_EQ(info.IsLogging(), want.bLog);
        EXPECT_EQ(paths.created, want.created);
    }
}

TEST(PellworthCmdLineInfo, ActionFormsEachOnceInTheirOrder)
{
    using Form = CPellworthCmdLineInfo::ActionForm;
    const std::pair<std::vector<std::string>, std::vector<Form>> cases[] = {
        {{"-ping", "COM1"}, {}},
        {{"-reset", "COM1", "/RESET", "COM2"}, {Form::Reset}},
        {{"-restorefactory", "-settime", "-startpattern", "-settime"},
         {Form::StartPattern, Form::SetTime, Form::RestoreFactory}},
        {{"-downloadconfig", "-checkconfig", "-cleanmemory", "-stoppattern"},
         {Form::StopPattern, Form::CleanMemory, Form::CheckConfig, Form::DownloadConfig}},
    };
    for (const auto& [args, forms] : cases) {
        FakePathSystem paths;
        CPellworthCmdLineInfo info(paths);
        info.Parse(args);
        EXPECT_EQ(info.GetOptions().actionForms, forms) << args.front();
    }
}

TEST(PellworthCmdLineInfo, BaudRateReadsLeadingDigits)
{
    const std::pair<const char*, int> cases[] = {{"9600", 9600}, {"19200bps", 19200}, {"fast", 0},
                                                 {"", 0},        {"-9600", 0},        {"2147483648", 0}};
    for (const auto& [text, rate] : cases) {
        FakePathSystem paths;
        CPellworthCmdLineInfo info(paths);
        info.Parse({"-b", text});
        EXPECT_EQ(info.GetBaudRate(), rate) << text;
    }
}

TEST(PellworthCmdLineInfo, FirmwareFileNameAfterLastSeparator)
{
    const std::pair<const char*, const char*> cases[] = {
        {"fw.zlb", "fw.zlb"}, {"new\\fw.zlb", "fw.zlb"}, {"/srv/a\\b/fw.zlb", "fw.zlb"},
        {"a/b\\fw.zlb", "fw.zlb"}, {"\\fw.zlb", "\\fw.zlb"}, {"/fw.zlb", "/fw.zlb"}};
    for (const auto& [value, name] : cases) {
        FakePathSystem paths;
        CPellworthCmdLineInfo info(paths);
        info.Parse({"-f", value});
        EXPECT_EQ(info.GetFirmwareFileName(), name) << value;
    }
}

TEST(ParseComTarget, ReadsPortAndAddress)
{
    const struct {
        const char* text;
        int com, address;  // 0 when refused
    } cases[] = {
        {"COM1", 1, 1},  {"com3:17", 3, 17}, {"Com12:240", 12, 240}, {"COM2147483647", 2147483647, 1},
        {"", 0, 0},      {"COM", 0, 0},      {"COM0", 0, 0},         {"COM1:", 0, 0},
        {"COM:5", 0, 0}, {"COM1:x", 0, 0},   {"COM1:5:6", 0, 0},     {"COM-1", 0, 0},
        {" COM1", 0, 0}, {"ttyS0", 0, 0},    {"COM2147483648", 0, 0}, {"COM1:99999999999", 0, 0},
    };
    for (const auto& test : cases) {
        int com = -1, address = -1;
        const bool ok = ParseComTarget(test.text, com, address);
        EXPECT_EQ(ok, test.com != 0) << test.text;
        EXPECT_EQ(com, ok ? test.com : -1) << test.text;
        EXPECT_EQ(address, ok ? test.address : -1) << test.text;
    }
}

}  // namespace
