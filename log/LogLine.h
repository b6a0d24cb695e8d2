#pragma once
// One log line: the prefixes chosen by the format flags, the "~  " separator, a piece of the
// message text and the newline, in a buffer of one line's size. A text too long for one line is
// taken over several lines by calling Build again with the rest.

#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>

// Format flags, in the order their prefixes appear on a line.
enum : int {
    LOG_FORMAT_COUNTER = 0x10,    // "%4ld - "
    LOG_FORMAT_WALL_TIME = 0x02,  // "Dec 07 08:52:44.123 - "
    LOG_FORMAT_ELAPSED = 0x04,    // "(%011.3lf) - ", seconds since the log was opened
    LOG_FORMAT_LEVEL = 0x08,      // "<%ld> - "
    LOG_FORMAT_INDENT = 0x100     // three spaces per level
};

struct LogLineStamp {
    long counter = 0;
    std::time_t wallSeconds = 0;  // shown in local time
    unsigned wallMs = 0;          // 0 to 999
    double elapsedSeconds = 0;
    long level = 0;
};

class CLogLine {
public:
    // A line holds at most this many characters, newline included (1024 with the terminator).
    static constexpr std::size_t kMaxChars = 1023;
    // Indentation stops here so deep levels still leave room for text.
    static constexpr long kMaxIndentLevel = 100;

    CLogLine() { m_line.reserve(kMaxChars + 1); }

    // Builds a line from the front of text and returns how many characters of text it took: all of
    // them when they fit, else as many as fit and at least one.
    std::size_t Build(int formatFlags, const LogLineStamp& stamp, std::string_view text);

    const std::string& Text() const { return m_line; }

private:
    void AppendPrefixes(int formatFlags, const LogLineStamp& stamp);

    std::string m_line;
};

// "Dec 07 08:52:44": month, day and time of the local time, 15 characters.
std::string LogWallText(std::time_t seconds);
