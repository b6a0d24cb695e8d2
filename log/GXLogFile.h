#pragma once
// A text log file: where it is placed, the prefixes of its lines, a maximum level, rollover to a
// fresh file by weekday or day, and a size limit. Lines may also go to the debug output. Every
// operation is guarded, so several threads may write to one log.

#include "log/GXCriticalSection.h"
#include "log/LogEnvironment.h"
#include "log/LogLine.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>

class CGXLogFile {
public:
    // Output flags (Open's second argument).
    enum : int {
        OUTPUT_FULL_PATH = 0x01,     // the name is the complete path
        OUTPUT_TEMP_FOLDER = 0x02,   // the folder is $TMP, else $TEMP, else /tmp (the system's on Windows)
        OUTPUT_TIME_NAME = 0x04,     // the file is named by the local time; the name is the folder
        OUTPUT_DEBUGGER = 0x08,      // every line also goes to the debug output
        OUTPUT_DELETE_EMPTY = 0x10,  // Close deletes a file that was empty and got no line
        OUTPUT_APPEND = 0x20         // append; otherwise the file is truncated
    };
    // Rollover flags (Open's fifth argument).
    enum : int {
        ROLL_NEVER = 0x01,    // no checks at all
        ROLL_WEEKLY = 0x02,   // new file on the creation weekday of a later day
        ROLL_DAILY = 0x04,    // new file on a later day
        ROLL_SIZE_CUT = 0x08  // cut the file to nothing once it reaches the maximum size
    };
    // Results of Open and Write.
    enum : int { LOG_OK = 0, LOG_CANNOT_OPEN = 1, LOG_ALREADY_OPEN = 4, LOG_NO_OUTPUT = 5, LOG_NO_STATUS = 6 };

    // Paths are refused from this length on (a 260-character buffer with its terminator).
    static constexpr std::size_t kMaxPath = 260;

    // Holds the log's critical section for its lifetime.
    class CLock {
    public:
        explicit CLock(const CGXLogFile& log) : m_section(log.m_section) { m_section.Lock(); }
        ~CLock() { m_section.Unlock(); }
        CLock(const CLock&) = delete;
        CLock& operator=(const CLock&) = delete;

    private:
        CGXCriticalSection& m_section;
    };

    CGXLogFile();
    // environment is not owned and must outlive the log.
    explicit CGXLogFile(const ILogEnvironment& environment);
    CGXLogFile(const CGXLogFile&) = delete;
    CGXLogFile& operator=(const CGXLogFile&) = delete;
    virtual ~CGXLogFile();

    // 0 opened, 1 the file cannot be opened (or the path is too long), 4 already open, 5 the output
    // flags choose neither a file nor the debug output.
    int Open(const char* name, int outputFlags, int formatFlags, int maxLevel, int rolloverFlags, int maxSizeKB);
    // Closes, deleting the file when OUTPUT_DELETE_EMPTY applies. Returns 0.
    int Close();
    // 0, also when the line is dropped (closed log, level above the maximum); 6 when the file's
    // status cannot be read for the rollover checks (the line is dropped, the next one tries again).
    int Write(const char* text, int level);

    int GetFormatFlags() const;
    void SetFormatFlags(int flags);
    int GetMaxLevel() const;
    void SetMaxLevel(int level);
    int GetOutputFlags() const;
    void SetOutputFlags(int flags);

    bool IsOpen() const;
    // Some line meant for the file since Open did not reach it: the write failed (a full disk),
    // its status could not be read, or the file was lost at a rollover.
    bool LinesLost() const;
    // The file being written; empty when the log writes to no file.
    std::string GetPath() const;

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

    std::string BuildPath(const std::string& name, std::time_t now) const;
    bool OpenFile(const std::string& path, const char* mode, std::time_t now);
    // LOG_OK, or LOG_NO_STATUS when the file's status cannot be read.
    int CheckRollover(std::chrono::system_clock::time_point now);
    void StartNewFile(std::time_t now);
    void CutFile();
    void WriteLines(const char* text, int level, std::chrono::system_clock::time_point now);

    const ILogEnvironment& m_environment;
    mutable CGXCriticalSection m_section;

    FilePtr m_file;
    std::chrono::system_clock::time_point m_start{};
    std::time_t m_firstOpened = 0;  // creation time where the file system keeps none
    int m_nFormatFlags = 0;
    int m_nMaxLevel = 0;
    int m_nOutputFlags = 0;
    bool m_bOpen = false;
    long m_nLines = 0;
    std::string m_strPath;
    bool m_bWasEmpty = false;
    bool m_bLinesLost = false;
    int m_nRolloverFlags = 0;
    std::int64_t m_nMaxSize = 0;
    CLogLine m_line;
};
