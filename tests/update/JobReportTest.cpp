// The job report: the exact document fleet tools parse, its escaping and numbers in any locale,
// and the write that never leaves a half report or a stray temporary file.
#include "update/JobReport.h"

#include "common/TestEnv.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <locale>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace {

const JobReport kMixed{
    .strStarted = "2026-12-08T14:03:07+01:00",
    .strDisplayList = "C:\\Store\\Displays.dat",
    .strDisplayListAsGiven = "Displays.dat",
    .strDisplayListFault = {},
    .jobLines = {{600, "COM4 is busy"}},
    .displays = {{.strName = "Kasse \"1\"", .nPort = 3, .nAddress = 5, .nBaud = 115200, .strProtocol = "S2200 Protocol",
                  .nConnectionResult = 0, .strFirmwareBefore = "FX40211-1.01.05", .strFirmwareAfter = "FX40211-1.2.11",
                  .tasks = {{105, "Temperature 41\xB0", 5}, {510, "Could not connect to display", 7}},
                  .dSeconds = 61.0004, .strFirmwareTarget = "FX40211-1.02.11", .outcome = DisplayOutcome::Updated,
                  .nOutcomeCode = 0, .strReason = {},
                  .line = {true, 2549, 3, 668478, 2546, 24.3456, 1.5}, .bPlanned = false, .plan = {}},
                 // Never tried: no protocol, firmware or line figures (null), no tasks.
                 {.strName = "Eingang", .nPort = 4, .nAddress = 1, .nBaud = 19200, .strProtocol = {},
                  .nConnectionResult = -1, .strFirmwareBefore = {}, .strFirmwareAfter = {}, .tasks = {},
                  .dSeconds = 0, .strFirmwareTarget = {}, .outcome = DisplayOutcome::NotTried, .nOutcomeCode = 500,
                  .strReason = "Serial COM4 port is busy", .line = {}, .bPlanned = false, .plan = {}}},
    .bAborted = true,
    .nJobResult = 9,
    .nWorstTaskCode = 600,
    .dSeconds = 95.25};

const char* const kMixedJson = R"({
  "format": "qvxfirminstaller-job-report",
  "version": 2,
  "plan": false,
  "parallel": false,
  "started": "2026-12-08T14:03:07+01:00",
  "display_list": "C:\\Store\\Displays.dat",
  "display_list_as_given": "Displays.dat",
  "display_list_fault": null,
  "aborted": true,
  "job_result": 9,
  "worst_task_code": 600,
  "seconds": 95.250,
  "outcomes": {
    "updated": 1,
    "current": 0,
    "not_taking_effect": 0,
    "unchecked": 0,
    "failed": 0,
    "not_ours": 0,
    "no_answer": 0,
    "not_tried": 1
  },
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
      "firmware_before_normal": "FX40211-1.1.5",
      "firmware_after": "FX40211-1.2.11",
      "firmware_after_normal": "FX40211-1.2.11",
      "firmware_target": "FX40211-1.02.11",
      "firmware_target_normal": "FX40211-1.2.11",
      "outcome": "updated",
      "outcome_code": 0,
      "reason": null,
      "tasks": [
        {
          "code": 105,
          "text": "Temperature 41)" "\xC2\xB0" R"(",
          "address": 5
        },
        {
          "code": 510,
          "text": "Could not connect to display",
          "address": 7
        }
      ],
      "line": {
        "frames_sent": 2549,
        "frames_repeated": 3,
        "bytes_sent": 668478,
        "replies": 2546,
        "median_reply_ms": 24.346,
        "median_excess_ms": 1.500
      },
      "seconds": 61.000
    },
    {
      "name": "Eingang",
      "port": 4,
      "address": 1,
      "baud": 19200,
      "protocol": null,
      "connection_result": -1,
      "firmware_before": null,
      "firmware_before_normal": null,
      "firmware_after": null,
      "firmware_after_normal": null,
      "firmware_target": null,
      "firmware_target_normal": null,
      "outcome": "not_tried",
      "outcome_code": 500,
      "reason": "Serial COM4 port is busy",
      "tasks": [],
      "line": null,
      "seconds": 0.000
    }
  ]
}
)";

TEST(JobReport, ExactDocument)
{
    EXPECT_EQ(JobReportJson(kMixed), kMixedJson);
}

// The value written for a field: what follows `key` up to the end of its line (without a comma).
std::string ValueOf(const JobReport& report, const std::string& key)
{
    const std::string json = JobReportJson(report);
    const std::size_t from = json.find("\"" + key + "\": ") + key.size() + 4;
    std::string value = json.substr(from, json.find('\n', from) - from);
    if (!value.empty() && value.back() == ',')
        value.pop_back();
    return value;
}

// Quotes, backslashes and the degree sign are in the document above.
TEST(JobReport, EscapesAndConvertsLatin1)
{
    const std::pair<std::string, std::string> cases[] = {
        {"a/b\nc\td\re", "a/b\\nc\\td\\re"},
        {std::string("\0\x01\x08\x0C\x1F\x7F", 6), "\\u0000\\u0001\\u0008\\u000c\\u001f\x7F"}, // DEL needs none
        {"\x80\x9F\xC4\xDF\xFF", "\xC2\x80\xC2\x9F\xC3\x84\xC3\x9F\xC3\xBF"}, // Latin-1, not Windows-1252
    };
    for (const auto& [in, out] : cases) {
        JobReport report;
        report.jobLines = {{600, in}};
        EXPECT_EQ(ValueOf(report, "text"), "\"" + out + "\"") << in;
    }
}

struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

// Three decimals and a decimal point in every locale; the C locale's row needs a decimal-comma
// locale installed.
TEST(JobReport, SecondsInAnyLocale)
{
    const std::string savedC = std::setlocale(LC_ALL, nullptr);
    const std::locale savedCxx;
    const std::pair<const char*, bool (*)()> locales[] = {
        {"C++ decimal comma",
         [] {
             std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
             return true;
         }},
        {"C decimal comma",
         [] { return std::setlocale(LC_ALL, "de_DE.UTF-8") && std::localeconv()->decimal_point[0] == ','; }},
    };
    const std::pair<double, const char*> cases[] = {
        {1234.5, "1234.500"}, {12.3456, "12.346"}, {-0.0001, "0.000"}, {NAN, "null"}, {INFINITY, "null"}};
    for (const auto& [name, apply] : locales) {
        if (!apply()) {
            std::cout << "row not run, no such locale installed: " << name << "\n";
            continue;
        }
        for (const auto& [in, out] : cases) {
            JobReport report;
            report.dSeconds = in;
            EXPECT_EQ(ValueOf(report, "seconds"), out) << name << " " << in;
        }
        EXPECT_EQ(JobReportJson(kMixed), kMixedJson) << name;
        std::setlocale(LC_ALL, savedC.c_str());
        std::locale::global(savedCxx);
    }
}

class JobReportWrite : public ::testing::Test {
protected:
    void SetUp() override
    {
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

    const fs::path m_folder = fs::temp_directory_path() / ("qvx-report-" + std::to_string(ProcessId()));
};

// A shorter report over a longer one.
TEST_F(JobReportWrite, ReplacesAndLeavesNoTemporary)
{
    const fs::path path = m_folder / "report.json";
    for (const JobReport& report : {kMixed, JobReport{}}) {
        std::string fault;
        ASSERT_TRUE(WriteJobReport(path.string(), report, fault)) << fault;
        std::ifstream in(path, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), JobReportJson(report));
        EXPECT_EQ(Entries(), std::set<std::string>{"report.json"});
    }
}

// The fault names the step, then the system's reason.
TEST_F(JobReportWrite, FailureLeavesEverythingAsItWas)
{
    // A folder where the report should go: the temporary file is written, the rename refused.
    fs::create_directories(m_folder / "taken" / "inside");
    const struct {
        const char* target;
        const char* step;
        int error;
    } cases[] = {{"missing/report.json", "cannot create a temporary file beside it: ", ENOENT},
                 {"taken", "cannot rename the temporary file over it: ", EISDIR}};
    for (const auto& c : cases) {
        const std::set<std::string> before = Entries();
        std::string fault;
        EXPECT_FALSE(WriteJobReport((m_folder / c.target).string(), kMixed, fault)) << c.target;
        EXPECT_TRUE(fault.starts_with(c.step)) << fault;
#ifdef _WIN32
        EXPECT_GT(fault.size(), std::strlen(c.step)) << fault; // the system's own wording
#else
        EXPECT_TRUE(fault.ends_with(std::generic_category().message(c.error))) << fault;
#endif
        EXPECT_EQ(Entries(), before) << c.target;
    }
}

// One version, one normal form, however its numbers are padded; anything else has none.
TEST(JobReport, NormalFirmwareVersion)
{
    const std::pair<const char*, const char*> cases[] = {
        {"FX40211-1.02.11", "FX40211-1.2.11"}, {"FX40211-1.2.11", "FX40211-1.2.11"},
        {"FP9023417-01.00.007", "FP9023417-1.0.7"}, {"FX40211-1.2", ""}, {"FX40211-1.2.11.4", ""},
        {"FX40211-1.x.11", ""}, {"-1.2.3", ""}, {"FX40211", ""}, {"", ""}, {"FX40211-1..3", ""},
        {"FX40211-9999999999.1.1", ""}, // more digits than a version has
    };
    for (const auto& [reported, normal] : cases)
        EXPECT_EQ(NormalFirmwareVersion(reported), normal) << reported;
}

struct OutcomeCase {
    const char* name;
    int connection;
    std::vector<TaskLine> tasks;
    OutcomeFacts facts;
    DisplayOutcome outcome;
    int code;
};

// The outcome comes from the lines that concern the display itself; another display's 510 met by
// a refresh pass never makes it "no answer".
TEST(JobReport, OutcomeFromTheDisplaysOwnLines)
{
    const OutcomeCase cases[] = {
        {"updated", 0, {{0, "updated", 5}}, {true, true, false}, DisplayOutcome::Updated, 0},
        {"current despite another's 510", 0, {{510, "x", 7}, {100, "current", 5}}, {true}, DisplayOutcome::Current, 100},
        {"not taking effect", 0, {{514, "failed to take effect", 5}}, {true, true}, DisplayOutcome::NotTakingEffect, 514},
        {"not ours", 5, {{101, "not ours", 5}, {101, "not ours", 5}}, {true}, DisplayOutcome::NotOurs, 101},
        {"no answer", 1, {{510, "x", 5}, {510, "x", 5}}, {true}, DisplayOutcome::NoAnswer, 510},
        {"a file that could not be read says more than not ours", 5, {{512, "config", 5}, {101, "not ours", 5}},
         {true}, DisplayOutcome::Failed, 512},
        {"a send that failed", 0, {{503, "Transmission failed", 5}}, {true}, DisplayOutcome::Failed, 503},
        {"the wrong firmware file", 0, {{301, "not FX40211", 5}}, {true}, DisplayOutcome::Failed, 301},
        {"aborted under way", 0, {{510, "x", 7}}, {true, false, true}, DisplayOutcome::Failed, 601},
        {"sent, never read back", 0, {}, {true, true, false}, DisplayOutcome::Unchecked, -1},
    };
    for (const OutcomeCase& c : cases) {
        DisplayReport display;
        display.nAddress = 5;
        display.nConnectionResult = c.connection;
        display.tasks = c.tasks;
        DecideOutcome(display, c.facts);
        EXPECT_EQ(display.outcome, c.outcome) << c.name;
        EXPECT_EQ(display.nOutcomeCode, c.code) << c.name;
        EXPECT_EQ(display.strReason.empty(), c.outcome == DisplayOutcome::Updated || c.outcome == DisplayOutcome::Current)
            << c.name;
    }
}

} // namespace

