#include "base/LocalTime.h"

#include <time.h>

namespace qvxbase {

bool LocalTimeOf(std::time_t when, std::tm& local)
{
    return localtime_s(&local, &when) == 0;
}

bool UtcTimeOf(std::time_t when, std::tm& utc)
{
    return gmtime_s(&utc, &when) == 0;
}

} // namespace qvxbase
