#include "base/PathText.h"
#include "base/WholeFile.h"

#include <atomic>
#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace qvxbase {

namespace {

std::string ErrnoText(int error)
{
    return std::generic_category().message(error);
}

} // namespace

bool ReplaceFileAtomically(const std::string& path, std::span<const std::span<const unsigned char>> pieces,
                           std::string& fault)
{
    // The pid keeps two jobs in one folder apart, the counter two writers in one process.
    static std::atomic<unsigned> counter{0};
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = path + ".tmp" + std::to_string(::getpid()) + "." + std::to_string(counter++);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        fault = "cannot create a temporary file beside it: " + ErrnoText(errno);
        return false;
    }

    auto failed = [&](const char* what, int error) {
        if (fd >= 0)
            ::close(fd);
        ::unlink(temporary.c_str());
        fault = std::string(what) + ": " + ErrnoText(error);
        return false;
    };
    for (const auto piece : pieces) {
        std::size_t written = 0;
        while (written < piece.size()) {
            const ssize_t n = ::write(fd, piece.data() + written, piece.size() - written);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return failed("cannot write the temporary file", n < 0 ? errno : EIO);
            written += static_cast<std::size_t>(n);
        }
    }
    // Without fsync a power cut after the rename can leave an empty file under the final name.
    if (::fsync(fd) != 0)
        return failed("cannot flush the temporary file to disk", errno);
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0)
        return failed("cannot close the temporary file", errno);
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        fault = "cannot rename the temporary file over it: " + ErrnoText(error);
        return false;
    }
    // The rename itself reaches the disk with the folder; some file systems refuse to sync a folder,
    // and the file is in place either way. The folder is the one the kernel resolved: only '/'
    // separates here.
    const std::size_t slash = path.rfind(kFolderSeparator);
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    return true;
}

} // namespace qvxbase
