// The job report: the exact document fleet tools parse, its escaping, and the write that never
// leaves a half report or a stray temporary file.
#include "update/JobReport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <locale>
#include <iterator>
#include <set>
#include <system_error>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

DisplayReport Display(const char* name, unsigned port, unsigned address, unsigned long baud, int result)
{
    DisplayReport display;
    display.strName = name;
    display.nPort = port;
    display.nAddress = address;
    display.nBaud = baud;
    display.nConnectionResult = result;
    return display;
}

JobReport WithLineAndSeconds(const std::string& text, double seconds)
{
    JobReport report;
    report.jobLines = {{600, text}};
    report.dSeconds = seconds;
    return report;
}

JobReport MixedReport()
{
    JobReport report = WithLineAndSeconds("COM4 is busy", 95.25);
    report.strStarted = "2026-12-08T14:03:07+01:00";
    report.strDisplayList = "C:\\Store\\Displays.dat";
    report.bAborted = true;
    report.nJobResult = 9;
    report.nWorstTaskCode = 600;
    DisplayReport updated = Display("Kasse \"1\"", 3, 5, 115200, 0);
    updated.strProtocol = "S2200 Protocol";
    updated.strFirmwareBefore = "FX40211-1.01.05";
    updated.strFirmwareAfter = "FX40211-1.2.11";
    updated.tasks = {{105, "Temperature 41\xB0"}};
    updated.dSeconds = 61.0004;
    report.displays = {updated, Display("Eingang", 4, 1, 19200, 2)};
    return report;
}

const char* const kMixedJson = R"({
  "format": "qvxfirminstaller-job-report",
  "version": 1,
  "started": "2026-12-08T14:03:07+01:00",
  "display_list": "C:\\Store\\Displays.dat",
  "aborted": true,
  "job_result": 9,
  "worst_task_code": 600,
  "seconds": 95.250,
  "job_lines": [
    {
      "code": 600,
      "text": "COM4 is busy"
    }
  ],
  "displays": [
    {
      "name": "Kasse \"1\"",
      "port": 3,
      "address": 5,
      "baud": 115200,
      "protocol": "S2200 Protocol",
      "connection_result": 0,
      "firmware_before": "FX40211-1.01.05",
      "firmware_after": "FX40211-1.2.11",
      "tasks": [
        {
          "code": 105,
          "text": "Temperature 41)" "\xC2\xB0" R"("
        }
      ],
      "seconds": 61.000
    },
    {
      "name": "Eingang",
      "port": 4,
      "address": 1,
      "baud": 19200,
      "protocol": null,
      "connection_result": 2,
      "firmware_before": null,
      "firmware_after": null,
      "tasks": [],
      "seconds": 0.000
    }
  ]
}
)";

TEST(JobReport, ExactDocument)
{
    EXPECT_EQ(JobReportJson(MixedReport()), kMixedJson);
}

// The value written for a field: what follows `key` up to the end of its line (without a comma).
std::string ValueOf(const std::string& json, const std::string& key)
{
    const std::size_t from = json.find("\"" + key + "\": ") + key.size() + 4;
    std::string value = json.substr(from, json.find('\n', from) - from);
    if (!value.empty() && value.back() == ',')
        value.pop_back();
    return value;
}

TEST(JobReport, EscapesAndConvertsLatin1)
{
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"plain / text", "plain / text"},
        {"say \"hi\"", "say \\\"hi\\\""},
        {"C:\\X", "C:\\\\X"},
        {"a\nb\tc\rd", "a\\nb\\tc\\rd"},
        {std::string("\0\x01\x08\x0C\x1F", 5), "\\u0000\\u0001\\u0008\\u000c\\u001f"},
        {"\x7F", "\x7F"},                 // DEL needs no escape
        {"41\xB0", "41\xC2\xB0"},         // degree sign
        {"\x80\x9F", "\xC2\x80\xC2\x9F"}, // taken as Latin-1, not Windows-1252
        {"\xC4\xDF\xFF", "\xC3\x84\xC3\x9F\xC3\xBF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ValueOf(JobReportJson(WithLineAndSeconds(c.in, 0)), "text"), "\"" + c.out + "\"") << c.in;
}

struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

// Seconds in every locale; the C locale's row needs a decimal-comma locale installed.
TEST(JobReport, SecondsWithThreeDecimalsInAnyLocale)
{
    const std::string savedC = std::setlocale(LC_ALL, nullptr);
    const std::locale savedCxx;
    const struct {
        const char* locale;
        bool (*apply)();
    } locales[] = {
        {"C++ decimal comma",
         [] {
             std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
             return true;
         }},
        {"C decimal comma", [] {
             return std::setlocale(LC_ALL, "de_DE.UTF-8") && std::localeconv()->decimal_point[0] == ',';
         }},
    };
    const struct {
        double in;
        const char* out;
    } cases[] = {{0, "0.000"}, {1234.5, "1234.500"}, {12.3456, "12.346"}, {-0.0001, "0.000"}, {NAN, "null"},
                 {INFINITY, "null"}};
    for (const auto& locale : locales) {
        if (!locale.apply()) {
            std::cout << "row not run, no such locale installed: " << locale.locale << "\n";
            continue;
        }
        for (const auto& c : cases)
            EXPECT_EQ(ValueOf(JobReportJson(WithLineAndSeconds("", c.in)), "seconds"), c.out)
                << locale.locale << " " << c.in;
        EXPECT_EQ(JobReportJson(MixedReport()), kMixedJson) << locale.locale;
        std::setlocale(LC_ALL, savedC.c_str());
        std::locale::global(savedCxx);
    }
}

class JobReportWrite : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() / ("qvx-report-" + std::to_string(::getpid()));
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    // Every entry under the folder, relative to it.
    std::set<std::string> Entries() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(m_folder))
            names.insert(fs::relative(entry.path(), m_folder).string());
        return names;
    }

    fs::path m_folder;
};

TEST_F(JobReportWrite, ReplacesAndLeavesNoTemporary)
{
    const fs::path path = m_folder / "report.json";
    for (const JobReport& report : {MixedReport(), WithLineAndSeconds("second", 1)}) {
        std::string fault;
        ASSERT_TRUE(WriteJobReport(path.string(), report, fault)) << fault;
        std::ifstream in(path, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), JobReportJson(report));
        EXPECT_EQ(Entries(), std::set<std::string>{"report.json"});
    }
}

TEST_F(JobReportWrite, FailureLeavesEverythingAsItWas)
{
    // A folder where the report should go: the temporary file is written, the rename refused.
    fs::create_directories(m_folder / "taken" / "inside");
    const struct {
        const char* target;
        int error;
    } cases[] = {{"missing/report.json", ENOENT}, {"taken", EISDIR}};
    for (const auto& c : cases) {
        const std::set<std::string> before = Entries();
        std::string fault;
        EXPECT_FALSE(WriteJobReport((m_folder / c.target).string(), MixedReport(), fault)) << c.target;
#ifdef _WIN32
        EXPECT_FALSE(fault.empty()) << c.target; // the system's own wording
        (void)c.error;
#else
        EXPECT_NE(fault.find(std::generic_category().message(c.error)), std::string::npos) << fault;
#endif
        EXPECT_EQ(Entries(), before) << c.target;
    }
}

} // namespace

namespace {

TEST(TerminalText, ControlBytesAreShownNotSent)
{
    EXPECT_EQ(Latin1ToTerminal(std::string("FX\x1b[2J\x07 \t41\xB0\x9b\x7f", 14)), "FX\\x1B[2J\\x07 \t41\xC2\xB0\\x9B\\x7F");
}

} // namespace
