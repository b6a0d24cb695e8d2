#include "update/package/FileCommit.h"

#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace qvxpkg {

bool FlushToDisk(std::FILE* file, std::string& reason)
{
    if (std::fflush(file) != 0 || ::fsync(fileno(file)) != 0) {
        reason = std::strerror(errno);
        return false;
    }
    return true;
}

bool RenameReplacing(const std::string& from, const std::string& to, std::string& reason)
{
    if (std::rename(from.c_str(), to.c_str()) != 0) {
        reason = std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace qvxpkg
