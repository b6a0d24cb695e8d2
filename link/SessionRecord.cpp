#include "link/SessionRecord.h"

#include "base/LocalTime.h"
#include "link/S22NetPacket.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

#if defined(_WIN32)
constexpr const char* kPlatform = "windows";
#elif defined(__APPLE__)
constexpr const char* kPlatform = "macos";
#else
constexpr const char* kPlatform = "linux";
#endif

std::string_view WordOf(SessionRecordEntry::Kind kind)
{
    switch (kind) {
    case SessionRecordEntry::Kind::Open:
        return "open";
    case SessionRecordEntry::Kind::Close:
        return "close";
    case SessionRecordEntry::Kind::Rate:
        return "rate";
    case SessionRecordEntry::Kind::Sent:
        return "->";
    case SessionRecordEntry::Kind::Received:
        return "<-";
    case SessionRecordEntry::Kind::Comment:
        break;
    }
    return "#";
}

// Reads the field up to the next space (or the end) and moves past it and one space.
std::string_view NextField(std::string_view& rest)
{
    const std::size_t end = rest.find(' ');
    const std::string_view field = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    return field;
}

// Decimal digits only (few enough not to overflow), no larger than `max`.
bool ReadNumber(std::string_view text, unsigned long long max, unsigned long long& value)
{
    if (text.empty() || text.size() > 19)
        return false;
    unsigned long long number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + static_cast<unsigned>(c - '0');
    }
    if (number > max)
        return false;
    value = number;
    return true;
}

bool ReadTime(std::string_view text, std::chrono::microseconds& at)
{
    // "T+" seconds "." six digits; whole seconds bounded so the microseconds cannot overflow.
    if (text.size() < 10 || text.substr(0, 2) != "T+")
        return false;
    text.remove_prefix(2);
    const std::size_t dot = text.find('.');
    if (dot == std::string_view::npos || text.size() - dot - 1 != 6 || dot > 12)
        return false;
    unsigned long long seconds = 0;
    unsigned long long micros = 0;
    if (!ReadNumber(text.substr(0, dot), 999'999'999'999ULL, seconds) ||
        !ReadNumber(text.substr(dot + 1), 999'999, micros))
        return false;
    at = std::chrono::microseconds(static_cast<long long>(seconds * 1'000'000 + micros));
    return true;
}

bool ReadPort(std::string_view text, int& comPort)
{
    unsigned long long number = 0;
    if (text.size() < 4 || text.substr(0, 3) != "COM" || !ReadNumber(text.substr(3), 32767, number))
        return false;
    comPort = static_cast<int>(number);
    return true;
}

bool ReadRate(std::string_view text, unsigned long& baud)
{
    unsigned long long number = 0;
    if (!ReadNumber(text, 0xFFFFFFFFULL, number))
        return false;
    baud = static_cast<unsigned long>(number);
    return true;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool Fail(std::string& reason, std::string text)
{
    reason = std::move(text);
    return false;
}

} // namespace

std::string FormatSessionRecordLine(const SessionRecordEntry& entry)
{
    using Kind = SessionRecordEntry::Kind;
    if (entry.kind == Kind::Comment)
        return "#" + entry.note + "\n";
    const long long us = entry.at.count() < 0 ? 0 : static_cast<long long>(entry.at.count());
    char time[40];
    std::snprintf(time, sizeof time, "T+%lld.%06lld ", us / 1'000'000, us % 1'000'000);
    std::string line = time;
    line.reserve(line.size() + 32 + entry.bytes.size() * 3 + entry.note.size());
    line += WordOf(entry.kind);
    line += " COM" + std::to_string(entry.comPort);
    if (entry.kind != Kind::Close)
        line += ' ' + std::to_string(entry.baud);
    if (entry.kind == Kind::Sent || entry.kind == Kind::Received) {
        line += ' ' + std::to_string(entry.bytes.size());
        for (const unsigned char byte : entry.bytes) {
            line += ' ';
            line += kHex[byte >> 4];
            line += kHex[byte & 0x0F];
        }
        if (!entry.note.empty())
            line += " (" + entry.note + ")";
    }
    line += '\n';
    return line;
}

bool ParseSessionRecordLine(std::string_view line, SessionRecordEntry& entry, std::string& reason)
{
    using Kind = SessionRecordEntry::Kind;
    if (!line.empty() && line.back() == '\n')
        line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.size() > kMaxSessionRecordLine)
        return Fail(reason, "line longer than " + std::to_string(kMaxSessionRecordLine) + " characters");
    if (line.empty())
        return Fail(reason, "empty line");
    if (line.find_first_of("\r\n") != std::string_view::npos)
        return Fail(reason, "more than one line");

    SessionRecordEntry parsed;
    if (line.front() == '#') {
        parsed.note = std::string(line.substr(1));
        entry = std::move(parsed);
        return true;
    }
    if (line.back() == ' ')
        return Fail(reason, "space at the end of the line");
    std::string_view rest = line;
    if (!ReadTime(NextField(rest), parsed.at))
        return Fail(reason, "bad time (T+<seconds>.<six digits>)");
    const std::string_view word = NextField(rest);
    if (word == "open")
        parsed.kind = Kind::Open;
    else if (word == "close")
        parsed.kind = Kind::Close;
    else if (word == "rate")
        parsed.kind = Kind::Rate;
    else if (word == "->")
        parsed.kind = Kind::Sent;
    else if (word == "<-")
        parsed.kind = Kind::Received;
    else
        return Fail(reason, "unknown word \"" + std::string(word.substr(0, 32)) + "\"");
    if (!ReadPort(NextField(rest), parsed.comPort))
        return Fail(reason, "bad port (COM<n>, n up to 32767)");
    if (parsed.kind == Kind::Close) {
        if (!rest.empty())
            return Fail(reason, "text after the port");
        entry = std::move(parsed);
        return true;
    }
    if (!ReadRate(NextField(rest), parsed.baud))
        return Fail(reason, "bad rate");
    if (parsed.kind != Kind::Sent && parsed.kind != Kind::Received) {
        if (parsed.baud == 0)
            return Fail(reason, "bad rate");
        if (!rest.empty())
            return Fail(reason, "text after the rate");
        entry = std::move(parsed);
        return true;
    }
    unsigned long long count = 0;
    if (!ReadNumber(NextField(rest), CS22NetPacket::kSize, count))
        return Fail(reason, "bad byte count (at most " + std::to_string(CS22NetPacket::kSize) + ")");
    parsed.bytes.reserve(static_cast<std::size_t>(count));
    while (!rest.empty() && rest.front() != '(') {
        const std::string_view hex = NextField(rest);
        const int high = hex.size() == 2 ? HexDigit(hex[0]) : -1;
        const int low = hex.size() == 2 ? HexDigit(hex[1]) : -1;
        if (high < 0 || low < 0)
            return Fail(reason, "bad byte \"" + std::string(hex.substr(0, 8)) + "\" (two upper-case hex digits)");
        if (parsed.bytes.size() == count)
            return Fail(reason, "more bytes than the count " + std::to_string(count));
        parsed.bytes.push_back(static_cast<unsigned char>(high << 4 | low));
    }
    if (parsed.bytes.size() != count)
        return Fail(reason,
                    std::to_string(parsed.bytes.size()) + " bytes where the count says " + std::to_string(count));
    if (!rest.empty()) {
        const std::string_view inside = rest.size() >= 2 ? rest.substr(1, rest.size() - 2) : std::string_view{};
        if (inside.empty() || rest.back() != ')' || inside.find_first_of("()") != std::string_view::npos)
            return Fail(reason, "bad note (one \"(<text>)\" after the bytes)");
        parsed.note = std::string(inside);
    }
    entry = std::move(parsed);
    return true;
}

std::string SessionRecordStartText(std::time_t when)
{
    std::tm local{};
    std::tm utc{};
    if (!qvxbase::LocalTimeOf(when, local) || !qvxbase::UtcTimeOf(when, utc))
        return "(time unknown)";
    // The offset from the two broken-down times: they are at most a day apart.
    int days = local.tm_yday - utc.tm_yday;
    if (local.tm_year != utc.tm_year)
        days = local.tm_year > utc.tm_year ? 1 : -1;
    const int minutes = days * 1440 + (local.tm_hour - utc.tm_hour) * 60 + (local.tm_min - utc.tm_min);
    const int offset = minutes < 0 ? -minutes : minutes;
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, minutes < 0 ? '-' : '+',
                  offset / 60, offset % 60);
    return text;
}

CSessionRecorder& CSessionRecorder::Instance()
{
    static CSessionRecorder recorder;
    return recorder;
}

bool CSessionRecorder::Open(const std::string& path, std::string_view program, std::string& fault)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_file != nullptr) {
        fault = "a session record is open already";
        return false;
    }
    // Binary: the same "\n" lines on every platform.
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        fault = path + ": " + std::generic_category().message(errno);
        return false;
    }
    const std::string header = "# qvxfirminstaller session record " + std::to_string(kSessionRecordVersion) +
                               "\n# started " + SessionRecordStartText(std::time(nullptr)) + ", " +
                               std::string(program) + ", " + kPlatform + "\n";
    if (std::fputs(header.c_str(), file) < 0 || std::fflush(file) != 0) {
        fault = path + ": " + std::generic_category().message(errno);
        std::fclose(file);
        return false;
    }
    m_file = file;
    m_start = std::chrono::steady_clock::now();
    m_bOpen.store(true, std::memory_order_relaxed);
    return true;
}

void CSessionRecorder::Close()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bOpen.store(false, std::memory_order_relaxed);
    if (m_file == nullptr)
        return;
    std::fclose(m_file);
    m_file = nullptr;
}

void CSessionRecorder::Write(SessionRecordEntry& entry)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_file == nullptr)
        return;
    // Stamped under the lock, so the times of the file's lines never go backwards.
    entry.at = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - m_start);
    const std::string line = FormatSessionRecordLine(entry);
    // A record that can no longer be written (a full disk) must not stop the job: lines are lost.
    std::fputs(line.c_str(), m_file);
    std::fflush(m_file);
}

void CSessionRecorder::Frame(bool sent, int comPort, unsigned long baud, std::span<const unsigned char> bytes,
                             std::string_view note)
{
    if (!IsOpen())
        return;
    SessionRecordEntry entry;
    entry.kind = sent ? SessionRecordEntry::Kind::Sent : SessionRecordEntry::Kind::Received;
    entry.comPort = comPort;
    entry.baud = baud;
    // A read longer than a frame (never from the link's own reads) keeps the line parseable.
    entry.bytes.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(
                                                           std::min(bytes.size(), CS22NetPacket::kSize)));
    entry.note = note;
    Write(entry);
}

void CSessionRecorder::PortOpened(int comPort, unsigned long baud)
{
    if (!IsOpen())
        return;
    SessionRecordEntry entry;
    entry.kind = SessionRecordEntry::Kind::Open;
    entry.comPort = comPort;
    entry.baud = baud;
    Write(entry);
}

void CSessionRecorder::PortClosed(int comPort)
{
    if (!IsOpen())
        return;
    SessionRecordEntry entry;
    entry.kind = SessionRecordEntry::Kind::Close;
    entry.comPort = comPort;
    Write(entry);
}

void CSessionRecorder::RateChanged(int comPort, unsigned long baud)
{
    if (!IsOpen())
        return;
    SessionRecordEntry entry;
    entry.kind = SessionRecordEntry::Kind::Rate;
    entry.comPort = comPort;
    entry.baud = baud;
    Write(entry);
}
