#include "update/JobReport.h"

#include "base/WholeFile.h"

#include <array>
#include <charconv>
#include <cmath>
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

void AppendTaskLines(std::string& out, int depth, const std::vector<TaskLine>& lines)
{
    AppendArray(out, depth, lines, [&out](const TaskLine& line, int itemDepth) {
        CObjectWriter object(out, itemDepth);
        object.Key("code");
        out += std::to_string(line.nCode);
        object.Key("text");
        AppendString(out, line.strText);
        object.Close();
    });
}

void AppendDisplay(std::string& out, int depth, const DisplayReport& display)
{
    CObjectWriter object(out, depth);
    object.Key("name");
    AppendString(out, display.strName);
    object.Key("port");
    out += std::to_string(display.nPort);
    object.Key("address");
    out += std::to_string(display.nAddress);
    object.Key("baud");
    out += std::to_string(display.nBaud);
    object.Key("protocol");
    AppendOptionalString(out, display.strProtocol);
    object.Key("connection_result");
    out += std::to_string(display.nConnectionResult);
    object.Key("firmware_before");
    AppendOptionalString(out, display.strFirmwareBefore);
    object.Key("firmware_after");
    AppendOptionalString(out, display.strFirmwareAfter);
    object.Key("tasks");
    AppendTaskLines(out, depth + 1, display.tasks);
    object.Key("seconds");
    AppendSeconds(out, display.dSeconds);
    object.Close();
}

} // namespace

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
    out += '1';
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
    out += std::to_string(report.nJobResult);
    object.Key("worst_task_code");
    out += std::to_string(report.nWorstTaskCode);
    object.Key("seconds");
    AppendSeconds(out, report.dSeconds);
    object.Key("job_lines");
    AppendTaskLines(out, 1, report.jobLines);
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
