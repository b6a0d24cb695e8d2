#include "update/JobReport.h"

#include "base/LocalTime.h"
#include "base/WholeFile.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <system_error>

namespace {

// Latin-1: the byte is the code point.
void AppendLatin1(std::string& out, unsigned char byte)
{
    if (byte < 0x80) {
        out += static_cast<char>(byte);
    } else {
        out += static_cast<char>(0xC0 | (byte >> 6));
        out += static_cast<char>(0x80 | (byte & 0x3F));
    }
}

void AppendString(std::string& out, std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (byte < 0x20) {
                out += "\\u00";
                out += kHex[byte >> 4];
                out += kHex[byte & 0x0F];
            } else {
                AppendLatin1(out, byte);
            }
        }
    }
    out += '"';
}

void AppendOptionalString(std::string& out, const std::string& text)
{
    if (text.empty())
        out += "null";
    else
        AppendString(out, text);
}

// to_chars ignores the locale: a decimal comma would make the document invalid.
void AppendSeconds(std::string& out, double seconds)
{
    if (!std::isfinite(seconds)) {
        out += "null";
        return;
    }
    if (std::fabs(seconds) < 0.0005)
        seconds = 0; // no "-0.000"
    std::array<char, 64> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), seconds,
                                            std::chars_format::fixed, 3);
    if (error != std::errc()) {
        out += "null"; // beyond 10^60 s: not a duration anyone measured
        return;
    }
    out.append(buffer.data(), end);
}

// An object being written: each member on its own line, indented two spaces a level.
class CObjectWriter {
public:
    CObjectWriter(std::string& out, int depth) : m_out(out), m_depth(depth) { m_out += '{'; }

    void Key(const char* name)
    {
        m_out += m_first ? "\n" : ",\n";
        m_first = false;
        m_out.append(2 * (m_depth + 1), ' ');
        m_out += '"';
        m_out += name;
        m_out += "\": ";
    }
    void Close()
    {
        if (!m_first) {
            m_out += '\n';
            m_out.append(2 * m_depth, ' ');
        }
        m_out += '}';
    }

private:
    std::string& m_out;
    int m_depth;
    bool m_first = true;
};

template <typename Item, typename WriteItem>
void AppendArray(std::string& out, int depth, const std::vector<Item>& items, WriteItem writeItem)
{
    if (items.empty()) {
        out += "[]";
        return;
    }
    out += '[';
    for (std::size_t i = 0; i < items.size(); ++i) {
        out += i == 0 ? "\n" : ",\n";
        out.append(2 * (depth + 1), ' ');
        writeItem(items[i], depth + 1);
    }
    out += '\n';
    out.append(2 * depth, ' ');
    out += ']';
}

void AppendTaskLines(std::string& out, int depth, const std::vector<TaskLine>& lines, bool withAddress)
{
    AppendArray(out, depth, lines, [&out, withAddress](const TaskLine& line, int itemDepth) {
        CObjectWriter object(out, itemDepth);
        object.Key("code");
        out += std::to_string(line.nCode);
        object.Key("text");
        AppendString(out, line.strText);
        if (withAddress) {
            object.Key("address");
            out += line.nAddress == 0 ? "null" : std::to_string(line.nAddress);
        }
        object.Close();
    });
}

void AppendStrings(std::string& out, int depth, const std::vector<std::string>& texts)
{
    AppendArray(out, depth, texts, [&out](const std::string& text, int) { AppendString(out, text); });
}

// A version as reported, and beside it its normal form (null when it has none).
void AppendVersion(CObjectWriter& object, std::string& out, const char* key, const char* normalKey,
                   const std::string& reported)
{
    object.Key(key);
    AppendOptionalString(out, reported);
    object.Key(normalKey);
    AppendOptionalString(out, NormalFirmwareVersion(reported));
}

void AppendMs(std::string& out, double ms)
{
    if (ms < 0)
        out += "null";
    else
        AppendSeconds(out, ms); // three decimals: microseconds
}

void AppendLine(std::string& out, int depth, const LineFigures& line)
{
    if (!line.bKnown) {
        out += "null";
        return;
    }
    CObjectWriter object(out, depth);
    object.Key("frames_sent");
    out += std::to_string(line.nFramesSent);
    object.Key("frames_repeated");
    out += std::to_string(line.nFramesRepeated);
    object.Key("bytes_sent");
    out += std::to_string(line.nBytesSent);
    object.Key("replies");
    out += std::to_string(line.nReplies);
    object.Key("median_reply_ms");
    AppendMs(out, line.dMedianReplyMs);
    object.Key("median_excess_ms");
    AppendMs(out, line.dMedianExcessMs);
    object.Close();
}

void AppendPlan(std::string& out, int depth, const DisplayPlan& plan)
{
    CObjectWriter object(out, depth);
    object.Key("state");
    AppendString(out, plan.strState);
    object.Key("would_update");
    out += plan.bWouldUpdate ? "true" : "false";
    object.Key("would_switch_protocol");
    out += plan.bWouldSwitch ? "true" : "false";
    object.Key("config_matches");
    out += plan.nConfigMatches < 0 ? "null" : plan.nConfigMatches ? "true" : "false";
    object.Key("config_differences");
    AppendStrings(out, depth + 1, plan.configDifferences);
    object.Key("note");
    AppendOptionalString(out, plan.strNote);
    object.Key("stream_bytes");
    out += std::to_string(plan.nStreamBytes);
    object.Key("transfer_seconds");
    AppendSeconds(out, plan.dTransferSeconds);
    object.Key("estimated_seconds");
    AppendSeconds(out, plan.dEstimatedSeconds);
    object.Close();
}

void AppendDisplay(std::string& out, int depth, const DisplayReport& display)
{
    CObjectWriter object(out, depth);
    const bool placed = display.nPort != 0; // a refused record names no line
    object.Key("name");
    AppendString(out, display.strName);
    object.Key("port");
    out += placed ? std::to_string(display.nPort) : "null";
    object.Key("address");
    out += placed ? std::to_string(display.nAddress) : "null";
    object.Key("baud");
    out += placed ? std::to_string(display.nBaud) : "null";
    object.Key("protocol");
    AppendOptionalString(out, display.strProtocol);
    object.Key("connection_result");
    out += std::to_string(display.nConnectionResult);
    AppendVersion(object, out, "firmware_before", "firmware_before_normal", display.strFirmwareBefore);
    AppendVersion(object, out, "firmware_after", "firmware_after_normal", display.strFirmwareAfter);
    AppendVersion(object, out, "firmware_target", "firmware_target_normal", display.strFirmwareTarget);
    if (display.bPlanned) {
        object.Key("plan");
        AppendPlan(out, depth + 1, display.plan);
    } else {
        object.Key("outcome");
        AppendString(out, DisplayOutcomeName(display.outcome));
        object.Key("outcome_code");
        out += display.nOutcomeCode < 0 ? "null" : std::to_string(display.nOutcomeCode);
        object.Key("reason");
        AppendOptionalString(out, display.strReason);
    }
    object.Key("tasks");
    AppendTaskLines(out, depth + 1, display.tasks, true);
    object.Key("line");
    AppendLine(out, depth + 1, display.line);
    object.Key("seconds");
    AppendSeconds(out, display.dSeconds);
    object.Close();
}

constexpr DisplayOutcome kOutcomes[] = {DisplayOutcome::Updated,  DisplayOutcome::Current,
                                        DisplayOutcome::NotTakingEffect, DisplayOutcome::Unchecked,
                                        DisplayOutcome::Failed,   DisplayOutcome::NotOurs,
                                        DisplayOutcome::NoAnswer, DisplayOutcome::NotTried};

// How many displays ended each way, every outcome named (0 where none did).
void AppendOutcomeCounts(std::string& out, const std::vector<DisplayReport>& displays)
{
    CObjectWriter object(out, 1);
    for (const DisplayOutcome outcome : kOutcomes) {
        object.Key(DisplayOutcomeName(outcome));
        out += std::to_string(std::count_if(displays.begin(), displays.end(), [outcome](const DisplayReport& d) {
            return !d.bPlanned && d.outcome == outcome;
        }));
    }
    object.Close();
}

bool IsDigits(std::string_view text)
{
    return !text.empty() && text.size() <= 9 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

const TaskLine* FirstWithCode(const std::vector<const TaskLine*>& lines, int code)
{
    const auto found = std::find_if(lines.begin(), lines.end(), [code](const TaskLine* line) { return line->nCode == code; });
    return found == lines.end() ? nullptr : *found;
}

void Settle(DisplayReport& display, DisplayOutcome outcome, const TaskLine* line)
{
    display.outcome = outcome;
    display.nOutcomeCode = line != nullptr ? line->nCode : -1;
    display.strReason = line != nullptr && outcome != DisplayOutcome::Updated && outcome != DisplayOutcome::Current
                            ? line->strText
                            : std::string();
}

} // namespace

const char* DisplayOutcomeName(DisplayOutcome outcome)
{
    switch (outcome) {
    case DisplayOutcome::Updated: return "updated";
    case DisplayOutcome::Current: return "current";
    case DisplayOutcome::NotTakingEffect: return "not_taking_effect";
    case DisplayOutcome::Unchecked: return "unchecked";
    case DisplayOutcome::Failed: return "failed";
    case DisplayOutcome::NotOurs: return "not_ours";
    case DisplayOutcome::NoAnswer: return "no_answer";
    case DisplayOutcome::NotTried: break;
    }
    return "not_tried";
}

std::string NormalFirmwareVersion(const std::string& reported)
{
    const std::size_t dash = reported.find('-');
    if (dash == 0 || dash == std::string::npos)
        return {};
    std::string normal = reported.substr(0, dash + 1);
    std::string_view rest = std::string_view(reported).substr(dash + 1);
    for (int part = 0; part < 3; ++part) {
        const std::size_t dot = rest.find('.');
        const std::string_view digits = rest.substr(0, dot);
        if (!IsDigits(digits) || (part < 2) != (dot != std::string_view::npos))
            return {};
        normal += std::to_string(std::stoul(std::string(digits)));
        if (part < 2) {
            normal += '.';
            rest.remove_prefix(dot + 1);
        }
    }
    return normal;
}

void DecideOutcome(DisplayReport& display, const OutcomeFacts& facts)
{
    if (!facts.bWorked)
        return; // the caller said why it was not tried
    std::vector<const TaskLine*> own;
    for (const TaskLine& line : display.tasks)
        if (line.nAddress == display.nAddress)
            own.push_back(&line);
    if (const TaskLine* line = FirstWithCode(own, 0))
        return Settle(display, DisplayOutcome::Updated, line);
    if (const TaskLine* line = FirstWithCode(own, 514))
        return Settle(display, DisplayOutcome::NotTakingEffect, line);
    if (const TaskLine* line = FirstWithCode(own, 100))
        return Settle(display, DisplayOutcome::Current, line);
    // What an Abort cut short (a connection, a transfer) is not the display's failure.
    if (facts.bAborted) {
        display.outcome = DisplayOutcome::Failed;
        display.nOutcomeCode = 601;
        display.strReason = "the job was aborted while this display was worked on";
        return;
    }
    // The step that failed says more than what the connection made of it (a file that could not
    // be read also makes it "not ours").
    const TaskLine* worst = nullptr;
    for (const TaskLine* line : own)
        if (line->nCode != 101 && line->nCode != 510 && (worst == nullptr || line->nCode > worst->nCode))
            worst = line;
    if (worst != nullptr && worst->nCode >= 500)
        return Settle(display, DisplayOutcome::Failed, worst);
    if (const TaskLine* line = FirstWithCode(own, 101); line != nullptr && display.nConnectionResult != 0)
        return Settle(display, DisplayOutcome::NotOurs, line);
    if (const TaskLine* line = FirstWithCode(own, 510); line != nullptr && display.nConnectionResult != 0)
        return Settle(display, DisplayOutcome::NoAnswer, line);
    if (worst != nullptr)
        return Settle(display, DisplayOutcome::Failed, worst);
    if (facts.bInstallSent) {
        display.outcome = DisplayOutcome::Unchecked;
        display.nOutcomeCode = -1;
        display.strReason = "the firmware was sent, but the display's version could not be read back";
        return;
    }
    display.outcome = DisplayOutcome::Failed;
    display.nOutcomeCode = -1;
    display.strReason = "no result was reported for this display";
}

// Local time as 2026-12-08T14:03:07+01:00. The offset is worked out from the local and UTC
// times, since strftime's %z gives the zone's name in some Windows C libraries.
std::string ReportTimestamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    std::tm utc{};
    if (!qvxbase::LocalTimeOf(now, local) || !qvxbase::UtcTimeOf(now, utc))
        return {};
    char time[32];
    if (std::strftime(time, sizeof time, "%Y-%m-%dT%H:%M:%S", &local) == 0)
        return {};
    // The two dates are at most a day apart.
    int days = local.tm_yday - utc.tm_yday;
    if (local.tm_year != utc.tm_year)
        days = local.tm_year > utc.tm_year ? 1 : -1;
    const int minutes = (days * 24 + local.tm_hour - utc.tm_hour) * 60 + local.tm_min - utc.tm_min;
    const int offset = minutes < 0 ? -minutes : minutes;
    char stamp[48];
    std::snprintf(stamp, sizeof stamp, "%s%c%02d:%02d", time, minutes < 0 ? '-' : '+', offset / 60, offset % 60);
    return stamp;
}

std::string JsonString(std::string_view latin1)
{
    std::string out;
    AppendString(out, latin1);
    return out;
}

std::string JsonDecimal(double value)
{
    std::string out;
    AppendSeconds(out, value);
    return out;
}

std::string OutcomeCountsJson(const std::vector<DisplayReport>& displays)
{
    std::string out = "{";
    for (const DisplayOutcome outcome : kOutcomes) {
        if (out.size() > 1)
            out += ", ";
        out += '"';
        out += DisplayOutcomeName(outcome);
        out += "\": ";
        out += std::to_string(std::count_if(displays.begin(), displays.end(),
                                            [outcome](const DisplayReport& d) { return d.outcome == outcome; }));
    }
    return out + "}";
}

std::string Latin1ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text)
        AppendLatin1(out, static_cast<unsigned char>(c));
    return out;
}

std::string Latin1ToTerminal(std::string_view text)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && byte != '\t') || (byte >= 0x7F && byte < 0xA0)) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            AppendLatin1(out, byte);
        }
    }
    return out;
}

std::string JobReportJson(const JobReport& report)
{
    std::string out;
    CObjectWriter object(out, 0);
    object.Key("format");
    AppendString(out, "qvxfirminstaller-job-report");
    object.Key("version");
    out += '2';
    object.Key("plan");
    out += report.bPlan ? "true" : "false";
    object.Key("parallel");
    out += report.bParallel ? "true" : "false";
    object.Key("started");
    AppendString(out, report.strStarted);
    object.Key("display_list");
    AppendString(out, report.strDisplayList);
    object.Key("display_list_as_given");
    AppendString(out, report.strDisplayListAsGiven);
    object.Key("display_list_fault");
    AppendOptionalString(out, report.strDisplayListFault);
    object.Key("aborted");
    out += report.bAborted ? "true" : "false";
    object.Key("job_result");
    out += report.bPlan ? "null" : std::to_string(report.nJobResult);
    object.Key("worst_task_code");
    out += std::to_string(report.nWorstTaskCode);
    object.Key("seconds");
    AppendSeconds(out, report.dSeconds);
    if (report.bPlan) {
        object.Key("estimated_seconds");
        AppendSeconds(out, report.dEstimatedSeconds);
        object.Key("plan_result");
        out += std::to_string(report.nPlanResult);
    } else {
        object.Key("outcomes");
        AppendOutcomeCounts(out, report.displays);
    }
    object.Key("job_lines");
    AppendTaskLines(out, 1, report.jobLines, false);
    object.Key("displays");
    AppendArray(out, 1, report.displays,
                [&out](const DisplayReport& display, int depth) { AppendDisplay(out, depth, display); });
    object.Close();
    out += '\n';
    return out;
}

bool WriteJobReport(const std::string& path, const JobReport& report, std::string& fault)
{
    return qvxbase::ReplaceFileAtomically(path, JobReportJson(report), fault);
}
