#pragma once
// A clock the test sets, and file status with the size and creation time the test chooses (the
// real values where it chooses none).

#include "common/TestEnv.h"
#include "log/LogEnvironment.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <optional>

struct FakeLogEnvironment : ILogEnvironment {
    std::chrono::system_clock::time_point now{};
    std::optional<std::int64_t> size;
    std::optional<std::time_t> birth;  // none: as on a file system without birth times
    bool failStatus = false;

    std::chrono::system_clock::time_point Now() const override { return now; }
    bool ReadStatus(std::FILE* file, LogFileStatus& status) const override
    {
        if (failStatus) {
            errno = EIO;
            return false;
        }
        if (!CSystemLogEnvironment::Instance().ReadStatus(file, status))
            return false;
        if (size)
            status.size = *size;
        status.birth = birth;
        return true;
    }
};

// Log times are local; the tests run in UTC so their expected texts hold everywhere.
inline void UseUtc()
{
    SetEnv("TZ", "UTC");
    ::tzset();
}

// A UTC moment; month 1 to 12.
inline std::chrono::system_clock::time_point At(int year, int month, int day, int hour = 10, int minute = 0,
                                                int second = 0, int ms = 0)
{
    struct tm t {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return std::chrono::system_clock::from_time_t(UtcTime(&t)) + std::chrono::milliseconds(ms);
}
