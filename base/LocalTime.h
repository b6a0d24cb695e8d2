#pragma once
// Broken-down time of a moment, safe from any thread (std::localtime and std::gmtime share one
// buffer): posix/ and win32/ LocalTime.cpp. False when the system cannot give it.

#include <ctime>

namespace qvxbase {

bool LocalTimeOf(std::time_t when, std::tm& local);
bool UtcTimeOf(std::time_t when, std::tm& utc);

} // namespace qvxbase
