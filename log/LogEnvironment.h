#pragma once
// What the log file needs from the machine: the time and an open file's size and creation time.
// Tests substitute their own to drive rollover and the size limit without waiting.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <optional>

struct LogFileStatus {
    std::int64_t size = 0;
    std::optional<std::time_t> birth;  // creation time, where the file system keeps one
};

class ILogEnvironment {
public:
    virtual ~ILogEnvironment() = default;
    virtual std::chrono::system_clock::time_point Now() const = 0;
    // False, with errno set, when the status cannot be read.
    virtual bool ReadStatus(std::FILE* file, LogFileStatus& status) const = 0;
};

// The real clock; the birth time from statx where the kernel and file system give it, on Windows
// the creation time.
class CSystemLogEnvironment final : public ILogEnvironment {
public:
    static const CSystemLogEnvironment& Instance();

    std::chrono::system_clock::time_point Now() const override;
    bool ReadStatus(std::FILE* file, LogFileStatus& status) const override;
};
