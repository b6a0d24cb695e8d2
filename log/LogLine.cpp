#include "log/LogLine.h"

#include "base/LocalTime.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Beyond this the clock is broken; the field keeps its width instead of growing without bound.
constexpr double kMaxElapsed = 9999999.999;

void AppendFormatted(std::string& line, const char* format, auto value)
{
    char buffer[64];
    const int length = std::snprintf(buffer, sizeof buffer, format, value);
    if (length > 0)
        line.append(buffer, std::min<std::size_t>(static_cast<std::size_t>(length), sizeof buffer - 1));
}

}  // namespace

std::string LogWallText(std::time_t seconds)
{
    struct tm local {};
    if (!qvxbase::LocalTimeOf(seconds, local) || local.tm_mon < 0 || local.tm_mon > 11)
        return std::string(15, '?');
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%s %02d %02d:%02d:%02d", kMonths[local.tm_mon], local.tm_mday,
                  local.tm_hour, local.tm_min, local.tm_sec);
    return std::string(buffer, 15);
}

void CLogLine::AppendPrefixes(int formatFlags, const LogLineStamp& stamp)
{
    bool prefixed = false;
    if ((formatFlags & LOG_FORMAT_COUNTER) != 0) {
        AppendFormatted(m_line, "%4ld - ", stamp.counter);
        prefixed = true;
    }
    if ((formatFlags & LOG_FORMAT_WALL_TIME) != 0) {
        m_line += LogWallText(stamp.wallSeconds);
        AppendFormatted(m_line, ".%03u - ", std::min(stamp.wallMs, 999u));
        prefixed = true;
    }
    if ((formatFlags & LOG_FORMAT_ELAPSED) != 0) {
        const double elapsed =
            std::isfinite(stamp.elapsedSeconds) ? std::clamp(stamp.elapsedSeconds, -kMaxElapsed, kMaxElapsed) : 0.0;
        AppendFormatted(m_line, "(%011.3lf) - ", elapsed);
        prefixed = true;
    }
    if ((formatFlags & LOG_FORMAT_LEVEL) != 0) {
        AppendFormatted(m_line, "<%ld> - ", stamp.level);
        prefixed = true;
    }
    if ((formatFlags & LOG_FORMAT_INDENT) != 0) {
        const long level = std::clamp(stamp.level, 0L, kMaxIndentLevel);
        m_line.append(static_cast<std::size_t>(level) * 3, ' ');
        prefixed = true;
    }
    if (prefixed)
        m_line += "~  ";
}

std::size_t CLogLine::Build(int formatFlags, const LogLineStamp& stamp, std::string_view text)
{
    m_line.clear();
    AppendPrefixes(formatFlags, stamp);
    // The prefixes are bounded well below a line, so there is always room for text.
    const std::size_t room = kMaxChars - 1 - m_line.size();
    const std::size_t taken = std::min(room, text.size());
    m_line.append(text.substr(0, taken));
    m_line += '\n';
    return taken;
}
