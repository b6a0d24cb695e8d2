#pragma once
// Broken-down time of a moment, safe from any thread (std::localtime and std::gmtime share one
// buffer). False when the system cannot give it.

#include <ctime>
#include <time.h>

namespace qvxlink {

inline bool LocalTimeOf(std::time_t when, std::tm& local)
{
#ifdef _WIN32
    return localtime_s(&local, &when) == 0;
#else
    return localtime_r(&when, &local) != nullptr;
#endif
}

inline bool UtcTimeOf(std::time_t when, std::tm& utc)
{
#ifdef _WIN32
    return gmtime_s(&utc, &when) == 0;
#else
    return gmtime_r(&when, &utc) != nullptr;
#endif
}

} // namespace qvxlink
