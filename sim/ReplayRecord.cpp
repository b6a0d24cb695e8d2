#include "sim/ReplayRecord.h"

#include "sim/OptionValues.h"

#include <map>

namespace qvxsim {

namespace {

constexpr std::string_view kHeader = "# qvxfirminstaller session record ";

// The text up to the next space; `rest` moves past it and that space.
std::string_view Word(std::string_view& rest)
{
    const std::size_t space = rest.find(' ');
    const std::string_view word = rest.substr(0, space);
    rest = space == std::string_view::npos ? std::string_view{} : rest.substr(space + 1);
    return word;
}

bool AllDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

bool ReadTime(std::string_view text, std::chrono::microseconds* at)
{
    if (!text.starts_with("T+"))
        return false;
    text.remove_prefix(2);
    const std::size_t dot = text.find('.');
    if (dot == std::string_view::npos || text.size() - dot - 1 != 6)
        return false;
    const std::string_view whole = text.substr(0, dot);
    const std::string_view fraction = text.substr(dot + 1);
    long long seconds = 0;
    long long micros = 0;
    if (!AllDigits(whole) || !AllDigits(fraction) || !ParseNumber(whole, 0LL, 999'999'999LL, &seconds)
        || !ParseNumber(fraction, 0LL, 999'999LL, &micros))
        return false;
    *at = std::chrono::microseconds(seconds * 1'000'000 + micros);
    return true;
}

bool ReadPort(std::string_view text, int* comNumber)
{
    return text.starts_with("COM") && AllDigits(text.substr(3)) && ParseNumber(text.substr(3), 1, 255, comNumber);
}

// A frame's rate may be 0 (a port whose rate could not be read); an opening's may not.
bool ReadRate(std::string_view text, unsigned long min)
{
    unsigned long rate = 0;
    return AllDigits(text) && ParseNumber(text, min, 4'000'000ul, &rate);
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool Fail(std::string* reason, std::string text)
{
    *reason = std::move(text);
    return false;
}

// "<count> <bytes> [(<note>)]"
bool ReadFrame(std::string_view rest, RecordLine* line, std::string* reason)
{
    const std::string_view countText = Word(rest);
    std::size_t count = 0;
    if (!AllDigits(countText) || !ParseNumber(countText, std::size_t{0}, kMaxRecordFrame, &count))
        return Fail(reason, "bad byte count '" + std::string(countText.substr(0, 16)) + "' (0.."
                                + std::to_string(kMaxRecordFrame) + ")");
    line->bytes.clear();
    line->bytes.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view hex = Word(rest);
        if (hex.empty() || hex.front() == '(')
            return Fail(reason, std::to_string(count) + " bytes announced, " + std::to_string(i) + " given");
        if (hex.size() != 2 || HexValue(hex[0]) < 0 || HexValue(hex[1]) < 0)
            return Fail(reason, "bad byte '" + std::string(hex.substr(0, 8)) + "' (two upper-case hex digits)");
        line->bytes.push_back(static_cast<unsigned char>(HexValue(hex[0]) * 16 + HexValue(hex[1])));
    }
    if (!rest.empty() && (rest.front() != '(' || rest.back() != ')' || rest.size() < 2))
        return Fail(reason, "after the bytes: '" + std::string(rest.substr(0, 16)) + "' (only a bracketed note)");
    return true;
}

} // namespace

bool ReadRecordLine(std::string_view text, RecordLine* line, std::string* reason)
{
    if (text.size() > kMaxRecordLineText)
        return Fail(reason, "longer than " + std::to_string(kMaxRecordLineText) + " characters");
    if (text.empty())
        return Fail(reason, "empty line");
    RecordLine read;
    if (text.front() == '#') {
        *line = std::move(read);
        return true;
    }
    std::string_view rest = text;
    if (!ReadTime(Word(rest), &read.at))
        return Fail(reason, "bad time (T+<seconds>.<six digits>)");
    const std::string_view kind = Word(rest);
    if (kind == "->" || kind == "<-")
        read.kind = kind == "->" ? RecordLine::Kind::Sent : RecordLine::Kind::Received;
    else if (kind == "open" || kind == "rate" || kind == "close")
        read.kind = RecordLine::Kind::Port;
    else
        return Fail(reason, "unknown event '" + std::string(kind.substr(0, 16)) + "'");
    const std::string_view port = Word(rest);
    if (!ReadPort(port, &read.comNumber))
        return Fail(reason, "bad port '" + std::string(port.substr(0, 16)) + "' (COM1..COM255)");
    if (kind != "close") {
        const std::string_view rate = Word(rest);
        if (!ReadRate(rate, read.kind == RecordLine::Kind::Port ? 1 : 0))
            return Fail(reason, "bad rate '" + std::string(rate.substr(0, 16)) + "'");
    }
    if (read.kind == RecordLine::Kind::Sent || read.kind == RecordLine::Kind::Received) {
        if (!ReadFrame(rest, &read, reason))
            return false;
        if (read.kind == RecordLine::Kind::Sent && read.bytes.empty())
            return Fail(reason, "a frame sent with no bytes");
    } else if (!rest.empty()) {
        return Fail(reason, "text after the " + std::string(kind == "close" ? "port" : "rate"));
    }
    *line = std::move(read);
    return true;
}

bool ReadRecord(std::istream& in, std::vector<RecordedPort>* ports, std::string* error)
{
    std::map<int, RecordedPort> byPort;
    std::map<int, std::chrono::microseconds> sentAt; // the last request's time on each port
    std::string text;
    std::size_t number = 0;
    while (std::getline(in, text)) {
        ++number;
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        std::string reason;
        RecordLine line;
        if (number == 1 && text != std::string(kHeader) + std::to_string(kRecordVersion))
            reason = "not a session record of version " + std::to_string(kRecordVersion) + " (its first line is '"
                   + std::string(kHeader) + std::to_string(kRecordVersion) + "')";
        else
            ReadRecordLine(text, &line, &reason);
        if (!reason.empty()) {
            *error = "line " + std::to_string(number) + ": " + reason;
            return false;
        }
        if (line.kind == RecordLine::Kind::Comment)
            continue;
        RecordedPort& port = byPort[line.comNumber];
        port.comNumber = line.comNumber;
        if (line.kind == RecordLine::Kind::Sent) {
            port.requests.push_back({std::move(line.bytes), {}, number});
            sentAt[line.comNumber] = line.at;
        } else if (line.kind == RecordLine::Kind::Received && !line.bytes.empty() && !port.requests.empty()) {
            // Bytes before the port's first request answer nothing the tool can send again.
            const auto delay = line.at - sentAt[line.comNumber];
            port.requests.back().replies.push_back({delay.count() > 0 ? delay : std::chrono::microseconds(0),
                                                    std::move(line.bytes)});
        }
    }
    if (in.bad()) {
        *error = "cannot read it past line " + std::to_string(number);
        return false;
    }
    if (number == 0) {
        *error = "empty: not a session record";
        return false;
    }
    if (byPort.empty()) {
        *error = "names no COM port";
        return false;
    }
    ports->clear();
    for (auto& [com, port] : byPort)
        ports->push_back(std::move(port));
    return true;
}

} // namespace qvxsim
