// The progress lines for fleet agents: exact lines for each event, repeated steps told once,
// transfer lines at most every 250 ms with the first and the last always, and everything still
// passed on to the terminal's view; with several serial lines worked at once, each line's steps and
// transfers told as its display's.
#include "app/ProgressJsonView.h"
#include "common/JsonCheck.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using namespace std::chrono_literals;

class CountingView final : public CNoView {
public:
    void SetProgressText(const std::string&) override { ++steps; }
    void ShowTransferProgress(const std::string&, unsigned long, unsigned long) override { ++transfers; }
    void SetLineProgressText(int port, const std::string& text, const std::string&) override
    {
        calls += "text " + std::to_string(port) + " " + text + "; ";
    }
    void ShowLineTransferProgress(int port, const std::string&, unsigned long done, unsigned long) override
    {
        calls += "sent " + std::to_string(port) + " " + std::to_string(done) + "; ";
    }
    void EndLineProgress(int port, const std::string&) override { calls += "end " + std::to_string(port) + "; "; }
    int steps = 0;
    int transfers = 0;
    std::string calls; // the line calls, in order
};

class ProgressJson : public ::testing::Test {
protected:
    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        std::istringstream in(m_out.str());
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    std::chrono::steady_clock::time_point m_now{};
    std::ostringstream m_out;
    CountingView m_inner;
    CProgressJsonView m_view{m_out, m_inner, [this] { return m_now; }};
};

TEST_F(ProgressJson, OneObjectPerEventLine)
{
    JobReport job;
    job.strDisplayList = "/store/Displays.dat";
    m_view.JobStarted(job, 2);
    DisplayReport display;
    display.strName = "Caf\xE9";
    display.nPort = 1;
    display.nAddress = 4;
    m_now += 1500ms;
    m_view.DisplayStarted(display, 1);
    m_view.SetProgressText("Connecting with S2200 Protocol at 115200 baud");
    m_view.SetProgressText("Connecting with S2200 Protocol at 115200 baud"); // the next try: the same step
    m_view.ShowTransferProgress("FX40211.EXE", 0, 10000);
    m_now += 100ms;
    m_view.ShowTransferProgress("FX40211.EXE", 2460, 10000); // within 250 ms: not written
    m_now += 900ms;
    m_view.ShowTransferProgress("FX40211.EXE", 4920, 10000);
    m_view.ShowTransferProgress("FX40211.EXE", 10000, 10000); // the last, however soon
    m_view.ShowTransferProgress("FX40211.EXE", 10000, 10000); // told twice, written once
    display.outcome = DisplayOutcome::Updated;
    display.nOutcomeCode = 0;
    display.dSeconds = 1.25;
    m_view.DisplayFinished(display, 1);
    DisplayReport held;
    held.strName = "Hall";
    held.nPort = 2;
    held.nAddress = 1;
    held.nOutcomeCode = 500;
    held.strReason = "Serial COM2 port is busy";
    m_view.DisplayFinished(held, 2);
    job.nJobResult = 9;
    job.dSeconds = 2.5;
    job.displays = {display, held};
    m_view.JobFinished(job);

    const std::vector<std::string> expected = {
        R"({"event": "job_started", "t": 0.000, "displays": 2, "display_list": "/store/Displays.dat"})",
        R"({"event": "display_started", "t": 1.500, "number": 1, "name": "Caf)" "\xC3\xA9" R"(", "port": 1, "address": 4})",
        R"({"event": "step", "t": 1.500, "number": 1, "text": "Connecting with S2200 Protocol at 115200 baud"})",
        R"({"event": "transfer", "t": 1.500, "number": 1, "file": "FX40211.EXE", "bytes_done": 0, "bytes_total": 10000, "bytes_per_second": null, "seconds_left": null})",
        R"({"event": "transfer", "t": 2.500, "number": 1, "file": "FX40211.EXE", "bytes_done": 4920, "bytes_total": 10000, "bytes_per_second": 4920.000, "seconds_left": 1.033})",
        R"({"event": "transfer", "t": 2.500, "number": 1, "file": "FX40211.EXE", "bytes_done": 10000, "bytes_total": 10000, "bytes_per_second": 10000.000, "seconds_left": 0.000})",
        R"({"event": "display_finished", "t": 2.500, "number": 1, "name": "Caf)" "\xC3\xA9" R"(", "port": 1, "address": 4, "outcome": "updated", "outcome_code": 0, "reason": null, "seconds": 1.250})",
        R"({"event": "display_finished", "t": 2.500, "number": 2, "name": "Hall", "port": 2, "address": 1, "outcome": "not_tried", "outcome_code": 500, "reason": "Serial COM2 port is busy", "seconds": 0.000})",
        R"({"event": "job_finished", "t": 2.500, "job_result": 9, "aborted": false, "seconds": 2.500, "outcomes": {"updated": 1, "current": 0, "not_taking_effect": 0, "unchecked": 0, "failed": 0, "not_ours": 0, "no_answer": 0, "not_tried": 1}})",
    };
    EXPECT_EQ(Lines(), expected);
    for (const std::string& line : Lines())
        EXPECT_TRUE(CJsonCheck::IsValid(line)) << line;
    EXPECT_EQ(m_inner.steps, 2) << "the terminal sees every call";
    EXPECT_EQ(m_inner.transfers, 5);
}

TEST_F(ProgressJson, SeveralLinesInterleaved)
{
    m_view.JobStarted(JobReport{}, 4);
    const auto display = [](const char* name, unsigned port) {
        DisplayReport report;
        report.strName = name;
        report.nPort = port;
        report.nAddress = 1;
        return report;
    };
    m_now += 100ms;
    m_view.DisplayStarted(display("Front", 1), 1);
    m_view.DisplayStarted(display("Back", 2), 2);
    m_view.SetLineProgressText(1, "Connecting", "COM1 Connecting");
    m_view.SetLineProgressText(2, "Connecting", "COM1 Connecting  COM2 Connecting"); // its own step
    m_view.SetLineProgressText(1, "Connecting", "COM1 Connecting  COM2 Connecting");
    m_view.ShowLineTransferProgress(1, "FX40211.EXE", 0, 10000);
    m_now += 100ms;
    m_view.ShowLineTransferProgress(2, "FX40211.EXE", 0, 20000);
    m_now += 200ms;
    m_view.ShowLineTransferProgress(1, "FX40211.EXE", 3000, 10000); // 300 ms after its own last
    m_view.ShowLineTransferProgress(2, "FX40211.EXE", 4000, 20000); // 200 ms: not written
    m_now += 300ms;
    DisplayReport held = display("Hall", 2);
    held.nOutcomeCode = 500;
    m_view.DisplayFinished(held, 3); // not tried: COM2 still works "Back"
    m_view.ShowLineTransferProgress(2, "FX40211.EXE", 8000, 20000);
    m_now += 400ms;
    m_view.ShowLineTransferProgress(1, "FX40211.EXE", 10000, 10000);
    DisplayReport front = display("Front", 1);
    front.outcome = DisplayOutcome::Updated;
    front.nOutcomeCode = 0;
    front.dSeconds = 1;
    m_view.DisplayFinished(front, 1);
    m_view.EndLineProgress(1, "");
    m_view.SetLineProgressText(2, "Verifying", "COM2 Verifying");
    m_view.DisplayStarted(display("Deli", 1), 4);
    m_view.SetLineProgressText(1, "Connecting", "COM1 Connecting  COM2 Verifying"); // a new display's step

    const std::vector<std::string> expected = {
        R"({"event": "job_started", "t": 0.000, "displays": 4, "display_list": ""})",
        R"({"event": "display_started", "t": 0.100, "number": 1, "name": "Front", "port": 1, "address": 1})",
        R"({"event": "display_started", "t": 0.100, "number": 2, "name": "Back", "port": 2, "address": 1})",
        R"({"event": "step", "t": 0.100, "number": 1, "text": "Connecting"})",
        R"({"event": "step", "t": 0.100, "number": 2, "text": "Connecting"})",
        R"({"event": "transfer", "t": 0.100, "number": 1, "file": "FX40211.EXE", "bytes_done": 0, "bytes_total": 10000, "bytes_per_second": null, "seconds_left": null})",
        R"({"event": "transfer", "t": 0.200, "number": 2, "file": "FX40211.EXE", "bytes_done": 0, "bytes_total": 20000, "bytes_per_second": null, "seconds_left": null})",
        R"({"event": "transfer", "t": 0.400, "number": 1, "file": "FX40211.EXE", "bytes_done": 3000, "bytes_total": 10000, "bytes_per_second": null, "seconds_left": null})",
        R"({"event": "display_finished", "t": 0.700, "number": 3, "name": "Hall", "port": 2, "address": 1, "outcome": "not_tried", "outcome_code": 500, "reason": null, "seconds": 0.000})",
        R"({"event": "transfer", "t": 0.700, "number": 2, "file": "FX40211.EXE", "bytes_done": 8000, "bytes_total": 20000, "bytes_per_second": 16000.000, "seconds_left": 0.750})",
        R"({"event": "transfer", "t": 1.100, "number": 1, "file": "FX40211.EXE", "bytes_done": 10000, "bytes_total": 10000, "bytes_per_second": 10000.000, "seconds_left": 0.000})",
        R"({"event": "display_finished", "t": 1.100, "number": 1, "name": "Front", "port": 1, "address": 1, "outcome": "updated", "outcome_code": 0, "reason": null, "seconds": 1.000})",
        R"({"event": "step", "t": 1.100, "number": 2, "text": "Verifying"})",
        R"({"event": "display_started", "t": 1.100, "number": 4, "name": "Deli", "port": 1, "address": 1})",
        R"({"event": "step", "t": 1.100, "number": 4, "text": "Connecting"})",
    };
    EXPECT_EQ(Lines(), expected);
    EXPECT_EQ(m_inner.calls, "text 1 Connecting; text 2 Connecting; text 1 Connecting; sent 1 0; sent 2 0; "
                             "sent 1 3000; sent 2 4000; sent 2 8000; sent 1 10000; end 1; text 2 Verifying; "
                             "text 1 Connecting; ");
    EXPECT_EQ(m_inner.steps + m_inner.transfers, 0) << "a line's calls stay line calls";
}

TEST(JsonCheck, TellsValidFromBroken)
{
    for (const char* good : {R"({"a": [1, -2.5e3, true, null, "x\u00e9\n"]})", "0", R"([])"})
        EXPECT_TRUE(CJsonCheck::IsValid(good)) << good;
    for (const char* bad : {R"({"a": 1,})", R"({"a" 1})", "01", R"(["\x"])", "1 2", R"({"a": nul})", ""})
        EXPECT_FALSE(CJsonCheck::IsValid(bad)) << bad;
}

} // namespace
