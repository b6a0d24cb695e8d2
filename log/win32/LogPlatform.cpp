#include "log/LogPlatform.h"

#include "base/PathText.h"
#include "log/LogEnvironment.h"

#include <windows.h>

#include <cerrno>
#include <io.h>
#include <vector>

namespace qvxlog {

namespace {

HANDLE HandleOf(std::FILE* file)
{
    const int fd = file != nullptr ? _fileno(file) : -1;
    return fd < 0 ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

} // namespace

std::string DefaultTempFolder()
{
    // The system's own choice after TMP and TEMP: the user's profile, else the Windows folder.
    std::vector<char> buffer(MAX_PATH + 1);
    const DWORD length = GetTempPathA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0 || length >= buffer.size())
        return ".\\";
    return qvxbase::WithFolderSeparator(std::string(buffer.data(), length));
}

bool MakeFolder(const std::string& path)
{
    return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool CutToNothing(std::FILE* file)
{
    const int fd = file != nullptr ? _fileno(file) : -1;
    return fd >= 0 && _chsize_s(fd, 0) == 0;
}

void MarkCreatedNow(std::FILE* file)
{
    const HANDLE handle = HandleOf(file);
    if (handle == INVALID_HANDLE_VALUE)
        return;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    // At worst the rollover counts from an older creation time, as it would have anyway.
    (void)SetFileTime(handle, &now, nullptr, nullptr);
}

} // namespace qvxlog

bool CSystemLogEnvironment::ReadStatus(std::FILE* file, LogFileStatus& status) const
{
    const HANDLE handle = qvxlog::HandleOf(file);
    if (handle == INVALID_HANDLE_VALUE) {
        errno = EBADF;
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info)) {
        errno = EIO;
        return false;
    }
    status.size = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    // 100-ns steps since 1601 to seconds since 1970.
    const std::uint64_t created =
        (static_cast<std::uint64_t>(info.ftCreationTime.dwHighDateTime) << 32) | info.ftCreationTime.dwLowDateTime;
    constexpr std::uint64_t kUnixEpoch = 116444736000000000ULL;
    status.birth.reset();
    if (created >= kUnixEpoch)
        status.birth = static_cast<std::time_t>((created - kUnixEpoch) / 10000000ULL);
    return true;
}
