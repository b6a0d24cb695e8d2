#include "log/LogEnvironment.h"

const CSystemLogEnvironment& CSystemLogEnvironment::Instance()
{
    static const CSystemLogEnvironment environment;
    return environment;
}

std::chrono::system_clock::time_point CSystemLogEnvironment::Now() const
{
    return std::chrono::system_clock::now();
}

// ReadStatus: posix/ and win32/ LogPlatform.cpp.
