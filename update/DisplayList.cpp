#include "update/DisplayList.h"

#include "base/WholeFile.h"
#include "update/package/PackageFiles.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>
#include <optional>

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Hands out the lines of a list one at a time; at the end of the text it hands out nothing.
class CLineReader {
public:
    explicit CLineReader(std::string_view text) : m_text(text) {}

    // The next line without its line end (LF, CR LF, or a bare CR ending the text), cut to
    // kMaxLineChars.
    std::optional<std::string_view> Next()
    {
        if (m_pos >= m_text.size())
            return std::nullopt;
        const std::size_t lineFeed = m_text.find('\n', m_pos);
        const std::size_t end = lineFeed == std::string_view::npos ? m_text.size() : lineFeed;
        std::string_view line = m_text.substr(m_pos, end - m_pos);
        m_pos = end + 1;
        ++m_lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        return line.substr(0, CSilentConfigFileParser::kMaxLineChars);
    }
    void Skip(std::size_t count)
    {
        for (std::size_t i = 0; i < count && Next(); ++i) {
        }
    }
    // Number of the last line handed out, from 1.
    std::size_t LineNumber() const { return m_lineNumber; }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
    std::size_t m_lineNumber = 0;
};

// The text's digits as one decimal number, without leading zeros: "0" when they are all zeros,
// empty when there are none.
std::string SignificantDigits(std::string_view text)
{
    std::string digits;
    bool anyDigit = false;
    for (const char c : text) {
        if (c < '0' || c > '9')
            continue;
        anyDigit = true;
        if (c != '0' || !digits.empty())
            digits += c;
    }
    if (anyDigit && digits.empty())
        digits.push_back('0');
    return digits;
}

// Reads the significant digits as a number up to `limit` (no digits read 0); nothing when the
// number is larger. Never wraps, however many digits there are.
std::optional<std::uint64_t> BoundedValue(const std::string& digits, std::uint64_t limit)
{
    // Every limit here has at most 10 digits, so 11 are always too many and 10 cannot wrap.
    if (digits.size() > 10)
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : digits)
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > limit)
        return std::nullopt;
    return value;
}

// Reads one numeric field; an overflow is described in `problems` and leaves `value` alone.
template <typename T>
void ReadField(std::string_view line, const char* field, T& value, std::string& problems)
{
    const std::string digits = SignificantDigits(line);
    if (const auto read = BoundedValue(digits, std::numeric_limits<T>::max())) {
        value = static_cast<T>(*read);
        return;
    }
    if (!problems.empty())
        problems += "; ";
    problems += std::string("the ") + field + " " + digits + " is out of range";
}

} // namespace

// The lines of one record that carry data; the rest are skipped.
struct CSilentConfigFileParser::RecordLines {
    std::size_t nFirstLine = 0;
    std::string_view name, height, width, addresses, port, baud;
};

bool CSilentConfigFileParser::Open(const std::string& path)
{
    Parse({});
    if (path.empty()) {
        m_strFault = "no display list file was named";
        return false;
    }
    // A FIFO or a device is refused by the reader without opening it: it could block for good.
    std::string bytes;
    std::string fault;
    if (qvxbase::ReadWholeFile(path, kMaxFileBytes, bytes, fault) != qvxbase::FileStatus::Ok) {
        m_strFault = fault;
        return false;
    }
    Parse(bytes);
    return true;
}

void CSilentConfigFileParser::Parse(std::string_view text)
{
    m_arrDisplays.clear();
    m_arrSkipped.clear();
    m_arrRefused.clear();
    m_strCutRecordName.clear();
    m_nCutRecordLine = 0;
    m_strFault.clear();
    if (text.starts_with(kUtf8Bom))
        text.remove_prefix(kUtf8Bom.size());

    CLineReader reader(text);
    while (const auto name = reader.Next()) {
        RecordLines record;
        record.nFirstLine = reader.LineNumber();
        record.name = *name;
        reader.Skip(1);
        const auto height = reader.Next();
        const auto width = reader.Next();
        reader.Skip(5);
        const auto addresses = reader.Next();
        reader.Skip(11);
        const auto port = reader.Next();
        const auto baud = reader.Next();
        // The reader hands out nothing after the end, so a baud line means all the others are there.
        // A record cut before it has no line settings to reach its displays with: it is named, so
        // a list cut short in transfer does not read as a store with one display fewer.
        if (!baud) {
            m_strCutRecordName = std::string(record.name);
            m_nCutRecordLine = record.nFirstLine;
            if (!record.name.empty())
                m_arrRefused.push_back({record.nFirstLine, m_strCutRecordName,
                                        "its record ends before its COM port and baud rate lines"});
            break;
        }
        record.height = *height;
        record.width = *width;
        record.addresses = *addresses;
        record.port = *port;
        record.baud = *baud;
        AddRecord(record);
        reader.Skip(25);
    }
}

const char* const CSilentConfigFileParser::kTooManyNote =
    "the displays after the first 61200 are left out: no store has more (255 ports, 240 addresses each)";

void CSilentConfigFileParser::AddRecord(const RecordLines& record)
{
    // Empty names and address lines are unused slots, not faults: they go without a note.
    if (record.name.empty())
        return;
    DisplayInfo entry;
    entry.strName = std::string(record.name);
    std::string problems; // in line order
    ReadField(record.height, "height", entry.nHeight, problems);
    ReadField(record.width, "width", entry.nWidth, problems);
    std::vector<std::uint32_t> addresses;
    std::string_view rest = record.addresses;
    for (;;) {
        const std::size_t comma = rest.find(',');
        const std::string_view piece = rest.substr(0, comma);
        if (!SignificantDigits(piece).empty()) {
            std::uint32_t address = 0;
            ReadField(piece, "address", address, problems);
            addresses.push_back(address);
        }
        if (comma == std::string_view::npos)
            break;
        rest.remove_prefix(comma + 1);
    }
    if (addresses.empty())
        return;
    ReadField(record.port, "COM port", entry.nComPort, problems);
    ReadField(record.baud, "baud rate", entry.nBaudRate, problems);
    if (!problems.empty()) {
        // A wrapped number would point the job at the wrong display or line; leave the record out.
        m_arrSkipped.push_back("the record at line " + std::to_string(record.nFirstLine) + " (\"" +
                               qvxpkg::Printable(record.name) + "\") is left out: " + problems);
        m_arrRefused.push_back({record.nFirstLine, std::string(record.name), "its record is left out: " + problems});
        return;
    }
    for (const std::uint32_t address : addresses) {
        // More than every address of every port: a damaged or hostile file, not a store.
        if (m_arrDisplays.size() >= kMaxEntries) {
            if (m_arrSkipped.empty() || m_arrSkipped.back() != kTooManyNote)
                m_arrSkipped.push_back(kTooManyNote);
            return;
        }
        entry.nIndex = static_cast<std::uint32_t>(m_arrDisplays.size());
        entry.nAddress = address;
        m_arrDisplays.push_back(entry);
    }
}

void CSilentConfigFileParser::GetDisplays(std::vector<DisplayInfo>& displays) const
{
    displays.clear();
    displays.insert(displays.end(), m_arrDisplays.begin(), m_arrDisplays.end());
}

const std::vector<std::string>& CSilentConfigFileParser::GetSkippedRecords() const
{
    return m_arrSkipped;
}

const std::string& CSilentConfigFileParser::GetCutRecordName() const
{
    return m_strCutRecordName;
}

std::size_t CSilentConfigFileParser::GetCutRecordLine() const
{
    return m_nCutRecordLine;
}

const std::string& CSilentConfigFileParser::GetFault() const
{
    return m_strFault;
}

std::vector<RepeatedDisplay> RemoveRepeatedDisplays(std::vector<DisplayInfo>& entries)
{
    std::vector<DisplayInfo> kept;
    std::vector<RepeatedDisplay> repeated;
    for (const DisplayInfo& entry : entries) {
        const auto first = std::find_if(kept.begin(), kept.end(), [&](const DisplayInfo& other) {
            return other.nComPort == entry.nComPort && other.nAddress == entry.nAddress;
        });
        if (first == kept.end())
            kept.push_back(entry);
        else
            repeated.push_back({entry, first->strName});
    }
    entries = std::move(kept);
    return repeated;
}
