#pragma once
// The few process services tests need that POSIX and Windows spell differently.

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

inline void SetEnv(const char* name, const char* value)
{
#ifdef _WIN32
    _putenv_s(name, value);
#else
    ::setenv(name, value, 1);
#endif
}

inline void UnsetEnv(const char* name)
{
#ifdef _WIN32
    _putenv_s(name, "");
#else
    ::unsetenv(name);
#endif
}

inline int ProcessId()
{
#ifdef _WIN32
    return _getpid();
#else
    return ::getpid();
#endif
}

// Seconds since 1970 of a broken-down UTC time.
inline std::time_t UtcTime(std::tm* t)
{
#ifdef _WIN32
    return _mkgmtime(t);
#else
    return ::timegm(t);
#endif
}

// A new, empty folder in the temporary folder.
inline std::filesystem::path MakeTempFolder(const std::string& prefix)
{
    std::random_device random;
    for (;;) {
        const auto path = std::filesystem::temp_directory_path() /
                          (prefix + "-" + std::to_string(ProcessId()) + "-" + std::to_string(random()));
        if (std::filesystem::create_directory(path))
            return path;
    }
}
