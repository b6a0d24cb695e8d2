#include "base/LocalTime.h"

#include <time.h>

namespace qvxbase {

bool LocalTimeOf(std::time_t when, std::tm& local)
{
    return localtime_r(&when, &local) != nullptr;
}

bool UtcTimeOf(std::time_t when, std::tm& utc)
{
    return gmtime_r(&when, &utc) != nullptr;
}

} // namespace qvxbase
