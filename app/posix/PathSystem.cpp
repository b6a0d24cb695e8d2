#include "app/PathSystem.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>

std::string CPosixPathSystem::ProgramFolder() const
{
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
    // A full buffer may be a truncated name; the working folder is then the best guess left.
    if (length <= 0 || static_cast<size_t>(length) >= sizeof buffer)
        return "./";
    const std::string program(buffer, static_cast<size_t>(length));
    const size_t slash = program.rfind('/');
    if (slash == std::string::npos)
        return "./";
    return program.substr(0, slash + 1);
}

bool CPosixPathSystem::FileExists(const std::string& path) const
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

IPathSystem::FolderState CPosixPathSystem::ProbeFolder(const std::string& path) const
{
    struct stat info {};
    if (stat(path.c_str(), &info) == 0)
        return S_ISDIR(info.st_mode) ? FolderState::Present : FolderState::Unreachable;
    return errno == ENOENT ? FolderState::Missing : FolderState::Unreachable;
}

bool CPosixPathSystem::CreateFolder(const std::string& path)
{
    // EEXIST covers a folder made concurrently; a file of that name is caught by the final probe.
    return mkdir(path.c_str(), 0777) == 0 || errno == EEXIST;
}
