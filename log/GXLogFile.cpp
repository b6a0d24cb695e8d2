#include "log/GXLogFile.h"

#include "base/LocalTime.h"
#include "base/PathText.h"
#include "link/DebugOutput.h"
#include "log/LogPlatform.h"

#include <cstdlib>
#include <string_view>

namespace {

constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

constexpr int kFileOutputs =
    CGXLogFile::OUTPUT_FULL_PATH | CGXLogFile::OUTPUT_TEMP_FOLDER | CGXLogFile::OUTPUT_TIME_NAME;

// $TMP, else $TEMP, else the system's default (/tmp), ending in a separator.
std::string TempFolder()
{
    for (const char* name : {"TMP", "TEMP"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return qvxbase::WithFolderSeparator(value);
    }
    return qvxlog::DefaultTempFolder();
}

// "07-Dec-24-08-52-44.log" for the local time.
std::string TimeStampName(std::time_t now)
{
    struct tm local {};
    if (!qvxbase::LocalTimeOf(now, local) || local.tm_mon < 0 || local.tm_mon > 11)
        return "log.log";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%02d-%s-%02d-%02d-%02d-%02d.log", local.tm_mday, kMonths[local.tm_mon],
                  local.tm_year % 100, local.tm_hour, local.tm_min, local.tm_sec);
    return buffer;
}

bool LocalDate(std::time_t time, struct tm& local)
{
    return qvxbase::LocalTimeOf(time, local);
}

// The calendar day, year included, so a file from the same date a year ago still rolls over.
bool SameDay(const struct tm& a, const struct tm& b)
{
    return a.tm_year == b.tm_year && a.tm_yday == b.tm_yday;
}

}  // namespace

CGXLogFile::CGXLogFile() : CGXLogFile(CSystemLogEnvironment::Instance()) {}

CGXLogFile::CGXLogFile(const ILogEnvironment& environment) : m_environment(environment) {}

CGXLogFile::~CGXLogFile()
{
    Close();
}

std::string CGXLogFile::BuildPath(const std::string& name, std::time_t now) const
{
    const std::string folder = (m_nOutputFlags & OUTPUT_TEMP_FOLDER) != 0 ? TempFolder() : std::string();
    if ((m_nOutputFlags & OUTPUT_TIME_NAME) != 0) {
        if ((m_nOutputFlags & OUTPUT_TEMP_FOLDER) != 0)
            return folder + TimeStampName(now);
        // The name is the folder; it may exist already. An empty name means the current folder.
        if (!name.empty())
            qvxlog::MakeFolder(name);
        return qvxbase::WithFolderSeparator(name) + TimeStampName(now);
    }
    if ((m_nOutputFlags & OUTPUT_FULL_PATH) != 0)
        return name;
    return folder + name;
}

bool CGXLogFile::OpenFile(const std::string& path, const char* mode, std::time_t now)
{
    m_file.reset(std::fopen(path.c_str(), mode));
    if (!m_file)
        return false;
    m_strPath = path;
    m_firstOpened = now;
    std::fseek(m_file.get(), 0, SEEK_END);
    m_bWasEmpty = std::ftell(m_file.get()) == 0;
    return true;
}

int CGXLogFile::Open(const char* name, int outputFlags, int formatFlags, int maxLevel, int rolloverFlags,
                     int maxSizeKB)
{
    CLock lock(*this);
    if (m_bOpen)
        return LOG_ALREADY_OPEN;
    m_nOutputFlags = outputFlags;
    m_nFormatFlags = formatFlags;
    m_nMaxLevel = maxLevel;
    m_nRolloverFlags = rolloverFlags;
    m_nMaxSize = static_cast<std::int64_t>(maxSizeKB) * 1024;
    m_nLines = 0;
    m_bLinesLost = false;
    m_start = m_environment.Now();
    m_strPath.clear();

    if ((outputFlags & kFileOutputs) != 0) {
        // A longer path would be cut and name another file.
        if (name != nullptr && std::string_view(name).size() >= kMaxPath)
            return LOG_CANNOT_OPEN;
        const std::time_t now = std::chrono::system_clock::to_time_t(m_start);
        const std::string path = BuildPath(name != nullptr ? name : "", now);
        if (path.size() >= kMaxPath)
            return LOG_CANNOT_OPEN;
        if (!OpenFile(path, (outputFlags & OUTPUT_APPEND) != 0 ? "a" : "w", now))
            return LOG_CANNOT_OPEN;
        m_bOpen = true;
        return LOG_OK;
    }
    if ((outputFlags & OUTPUT_DEBUGGER) != 0) {
        m_bOpen = true;
        return LOG_OK;
    }
    return LOG_NO_OUTPUT;
}

int CGXLogFile::Close()
{
    CLock lock(*this);
    if (m_file) {
        m_file.reset();
        if ((m_nOutputFlags & OUTPUT_DELETE_EMPTY) != 0 && m_bWasEmpty && m_nLines == 0)
            std::remove(m_strPath.c_str());
    }
    m_bOpen = false;
    return LOG_OK;
}

int CGXLogFile::Write(const char* text, int level)
{
    CLock lock(*this);
    if (m_nMaxLevel < 1 || !m_bOpen)
        return LOG_OK;
    const auto now = m_environment.Now();
    // Only a file has a status to check; a debug-output-only log, or one that lost its file at
    // a failed rollover, has nothing to roll over.
    if (m_file && (m_nRolloverFlags & ROLL_NEVER) == 0) {
        const int result = CheckRollover(now);
        if (result != LOG_OK) {
            m_bLinesLost = true;
            return result;
        }
    }
    if (level <= m_nMaxLevel)
        WriteLines(text != nullptr ? text : "", level, now);
    return LOG_OK;
}

int CGXLogFile::CheckRollover(std::chrono::system_clock::time_point now)
{
    LogFileStatus status;
    if (!m_environment.ReadStatus(m_file.get(), status)) {
        std::perror("Problem getting file status");
        return LOG_NO_STATUS;
    }
    const std::time_t nowSeconds = std::chrono::system_clock::to_time_t(now);
    struct tm created {};
    struct tm today {};
    bool due = false;
    if (LocalDate(status.birth.value_or(m_firstOpened), created) && LocalDate(nowSeconds, today)) {
        const bool sameDay = SameDay(created, today);
        if ((m_nRolloverFlags & ROLL_WEEKLY) != 0 && created.tm_wday == today.tm_wday && !sameDay)
            due = true;
        if ((m_nRolloverFlags & ROLL_DAILY) != 0 && !sameDay)
            due = true;
    }
    if (due)
        StartNewFile(nowSeconds);
    else if ((m_nRolloverFlags & ROLL_SIZE_CUT) != 0 && m_nMaxSize > 0 && status.size >= m_nMaxSize)
        CutFile();
    return LOG_OK;
}

void CGXLogFile::StartNewFile(std::time_t now)
{
    m_file.reset();
    std::remove(m_strPath.c_str());
    const std::string path = (m_nOutputFlags & OUTPUT_TIME_NAME) != 0
                                 ? std::string(qvxbase::FolderPartOf(m_strPath)) + TimeStampName(now)
                                 : m_strPath;
    if (!OpenFile(path, "w", now))
        return;
    qvxlog::MarkCreatedNow(m_file.get());
    if ((m_nOutputFlags & OUTPUT_APPEND) != 0)
        m_file.reset(std::freopen(path.c_str(), "a", m_file.release()));
}

void CGXLogFile::CutFile()
{
    std::fflush(m_file.get());
    if (qvxlog::CutToNothing(m_file.get()))
        std::fseek(m_file.get(), 0, SEEK_SET);  // a stream not in append mode would leave a hole
}

void CGXLogFile::WriteLines(const char* text, int level, std::chrono::system_clock::time_point now)
{
    using namespace std::chrono;
    const std::string_view rest(text);
    LogLineStamp stamp;
    stamp.wallSeconds = system_clock::to_time_t(now);
    const auto sinceEpochMs = duration_cast<milliseconds>(now.time_since_epoch()).count();
    stamp.wallMs = static_cast<unsigned>(((sinceEpochMs % 1000) + 1000) % 1000);
    stamp.elapsedSeconds = duration<double>(now - m_start).count();
    stamp.level = level;

    // A text longer than a line continues on further lines, each with its own prefixes.
    std::size_t offset = 0;
    do {
        stamp.counter = ++m_nLines;
        offset += m_line.Build(m_nFormatFlags, stamp, rest.substr(offset));
        if (m_file) {
            const bool written = std::fputs(m_line.Text().c_str(), m_file.get()) >= 0;
            if (std::fflush(m_file.get()) != 0 || !written)
                m_bLinesLost = true;
        } else if ((m_nOutputFlags & kFileOutputs) != 0) {
            m_bLinesLost = true; // the file went at a failed rollover
        }
        if ((m_nOutputFlags & OUTPUT_DEBUGGER) != 0)
            DebugOutput(m_line.Text());
    } while (offset < rest.size());
}

int CGXLogFile::GetFormatFlags() const
{
    CLock lock(*this);
    return m_nFormatFlags;
}

void CGXLogFile::SetFormatFlags(int flags)
{
    CLock lock(*this);
    m_nFormatFlags = flags;
}

int CGXLogFile::GetMaxLevel() const
{
    CLock lock(*this);
    return m_nMaxLevel;
}

void CGXLogFile::SetMaxLevel(int level)
{
    CLock lock(*this);
    m_nMaxLevel = level;
}

int CGXLogFile::GetOutputFlags() const
{
    CLock lock(*this);
    return m_nOutputFlags;
}

void CGXLogFile::SetOutputFlags(int flags)
{
    CLock lock(*this);
    m_nOutputFlags = flags;
}

bool CGXLogFile::IsOpen() const
{
    CLock lock(*this);
    return m_bOpen;
}

bool CGXLogFile::LinesLost() const
{
    CLock lock(*this);
    return m_bLinesLost;
}

std::string CGXLogFile::GetPath() const
{
    CLock lock(*this);
    return m_file ? m_strPath : std::string();
}
