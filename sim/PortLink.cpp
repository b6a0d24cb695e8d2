#include "sim/PortLink.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

namespace qvxsim {

namespace {

// Each round that finds the lock file swapped under it (an owner letting go just then) starts
// again; more than a few in a row means something else keeps replacing the file.
constexpr int kClaimRounds = 8;

std::string Reason(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

// Whether fd is still the file at path. An owner unlinks its lock file before letting go of it,
// and a lock taken on the unlinked file claims nothing.
bool SameFile(int fd, const std::string& path)
{
    struct stat held {};
    struct stat named {};
    return fstat(fd, &held) == 0 && lstat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev
        && held.st_ino == named.st_ino;
}

// The pid the owner wrote into its lock file; 0 when it has not written one (yet).
long OwnerPid(int fd)
{
    std::array<char, 24> text{};
    const ssize_t n = pread(fd, text.data(), text.size(), 0);
    long pid = 0;
    if (n <= 0 || std::from_chars(text.data(), text.data() + n, pid).ec != std::errc{})
        return 0;
    return pid > 0 ? pid : 0;
}

// Only for the message another stand-in controller prints; the lock itself is the claim.
void WritePid(int fd)
{
    const std::string text = std::to_string(getpid()) + "\n";
    if (ftruncate(fd, 0) == 0) {
        [[maybe_unused]] const ssize_t written = pwrite(fd, text.data(), text.size(), 0);
    }
}

// The lock file, opened and locked; an invalid fd with *error set otherwise.
UniqueFd Claim(const std::string& lockPath, const std::string& takenText, std::string* error)
{
    for (int round = 0; round < kClaimRounds; ++round) {
        UniqueFd fd(open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644));
        if (!fd.Valid()) {
            *error = Reason("cannot open " + lockPath);
            return {};
        }
        if (flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK) {
                *error = Reason("cannot lock " + lockPath);
                return {};
            }
            *error = takenText;
            if (const long pid = OwnerPid(fd.Get()); pid != 0)
                *error += " (pid " + std::to_string(pid) + ")";
            return {};
        }
        if (SameFile(fd.Get(), lockPath))
            return fd;
    }
    *error = "cannot claim " + lockPath + ": it keeps being replaced";
    return {};
}

} // namespace

std::optional<PortLink> PortLink::Create(const std::string& portDir, int comNumber, const std::string& target,
                                         std::string* error)
{
    const std::string name = "COM" + std::to_string(comNumber);
    const std::string linkPath = portDir + "/" + name;
    const std::string lockPath = portDir + "/." + name + ".lock";
    const std::filesystem::path folder = std::filesystem::path(linkPath).parent_path();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        *error = "cannot create " + folder.string() + ": " + ec.message();
        return std::nullopt;
    }
    UniqueFd lock = Claim(lockPath, name + " is already published in " + portDir + " by another stand-in controller",
                          error);
    if (!lock.Valid())
        return std::nullopt;
    WritePid(lock.Get());
    // From here on the claim is let go again (lock file removed) if the link cannot be made.
    PortLink claimed({}, lockPath, target, std::move(lock));

    struct stat st {};
    if (lstat(linkPath.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            *error = linkPath + " exists and is not a symbolic link";
            return std::nullopt;
        }
        // A live owner would hold the claim we now have: this link is left over from one that
        // did not stop cleanly.
        unlink(linkPath.c_str());
    }
    // symlink() never replaces: a link someone made meanwhile outside the claim is left alone.
    if (symlink(target.c_str(), linkPath.c_str()) != 0) {
        *error = Reason("symlink " + linkPath);
        return std::nullopt;
    }
    claimed.m_linkPath = linkPath;
    return std::optional<PortLink>(std::move(claimed));
}

PortLink::PortLink(std::string linkPath, std::string lockPath, std::string target, UniqueFd lock)
    : m_linkPath(std::move(linkPath)), m_lockPath(std::move(lockPath)), m_target(std::move(target)),
      m_lock(std::move(lock))
{
}

PortLink::PortLink(PortLink&& other) noexcept
    : m_linkPath(std::exchange(other.m_linkPath, {})), m_lockPath(std::move(other.m_lockPath)),
      m_target(std::move(other.m_target)), m_lock(std::move(other.m_lock))
{
}

void PortLink::Remove()
{
    if (!m_linkPath.empty()) {
        std::error_code ec;
        if (std::filesystem::read_symlink(m_linkPath, ec) == m_target)
            std::filesystem::remove(m_linkPath, ec);
        m_linkPath.clear();
    }
    if (m_lock.Valid()) {
        // Unlinked while still locked, so that whoever locks the old file next sees it is no
        // longer the one at the path and starts again.
        if (SameFile(m_lock.Get(), m_lockPath))
            unlink(m_lockPath.c_str());
        m_lock.Reset();
    }
}

} // namespace qvxsim
