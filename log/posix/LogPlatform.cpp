#include "log/LogPlatform.h"

#include "log/LogEnvironment.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qvxlog {

std::string DefaultTempFolder()
{
    return "/tmp/";
}

bool MakeFolder(const std::string& path)
{
    return ::mkdir(path.c_str(), 0777) == 0;
}

bool CutToNothing(std::FILE* file)
{
    return ::ftruncate(fileno(file), 0) == 0;
}

void MarkCreatedNow(std::FILE*)
{
    // A new file is a new inode here, born now.
}

} // namespace qvxlog

bool CSystemLogEnvironment::ReadStatus(std::FILE* file, LogFileStatus& status) const
{
    const int fd = file != nullptr ? fileno(file) : -1;
    if (fd < 0) {
        errno = EBADF;
        return false;
    }
#ifdef STATX_BTIME
    struct statx extended {};
    if (statx(fd, "", AT_EMPTY_PATH, STATX_SIZE | STATX_BTIME, &extended) == 0) {
        status.size = static_cast<std::int64_t>(extended.stx_size);
        status.birth.reset();
        if ((extended.stx_mask & STATX_BTIME) != 0)
            status.birth = static_cast<std::time_t>(extended.stx_btime.tv_sec);
        return true;
    }
    // Older kernels lack statx; fstat gives everything but the birth time.
#endif
    struct stat plain {};
    if (fstat(fd, &plain) != 0)
        return false;
    status.size = static_cast<std::int64_t>(plain.st_size);
    status.birth.reset();
    return true;
}
