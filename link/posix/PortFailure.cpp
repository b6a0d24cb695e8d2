#include "link/PortFailure.h"

#include <dirent.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

namespace {

std::string Prefix(int comNumber)
{
    return "COM" + std::to_string(comNumber) + ": ";
}

std::string SystemText(int error)
{
    return error != 0 ? std::string(std::strerror(error)) : std::string("unknown reason");
}

std::string CanonicalPath(const std::string& path)
{
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

// The processes with the device open, as "1234 (minicom)", where /proc lets this user see them.
std::vector<std::string> Holders(const std::string& device)
{
    std::vector<std::string> holders;
    const std::string target = CanonicalPath(device);
    DIR* proc = opendir("/proc");
    if (proc == nullptr)
        return holders;
    const std::string self = std::to_string(getpid());
    while (const dirent* entry = readdir(proc)) {
        const std::string pid = entry->d_name;
        if (pid.empty() || !std::all_of(pid.begin(), pid.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        // This program is not the other program: its own link is closed before it opens a port.
        if (pid == self)
            continue;
        const std::string fdDir = "/proc/" + pid + "/fd";
        DIR* fds = opendir(fdDir.c_str());
        if (fds == nullptr)
            continue; // another user's process: not ours to look into
        bool holds = false;
        while (const dirent* fd = readdir(fds)) {
            char link[PATH_MAX];
            const std::string name = fdDir + "/" + fd->d_name;
            const ssize_t n = readlink(name.c_str(), link, sizeof link - 1);
            if (n > 0 && std::string(link, static_cast<std::size_t>(n)) == target) {
                holds = true;
                break;
            }
        }
        closedir(fds);
        if (!holds)
            continue;
        std::string command;
        std::ifstream("/proc/" + pid + "/comm") >> command;
        std::string holder = pid;
        holder += " (";
        holder += command.empty() ? "?" : command;
        holder += ")";
        holders.push_back(holder);
    }
    closedir(proc);
    return holders;
}

bool InGroup(gid_t group)
{
    if (getegid() == group)
        return true;
    const int count = getgroups(0, nullptr);
    if (count <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, group) != groups.begin() + got;
}

// Listed as a member in the group database, whether or not this session has the group yet.
bool ListedInGroup(const group& entry)
{
    const passwd* user = getpwuid(geteuid());
    if (user == nullptr || entry.gr_mem == nullptr)
        return false;
    for (char** member = entry.gr_mem; *member != nullptr; ++member) {
        if (std::strcmp(*member, user->pw_name) == 0)
            return true;
    }
    return false;
}

std::string PermissionAdvice(const std::string& device)
{
    struct stat info {};
    if (stat(device.c_str(), &info) != 0)
        return {};
    const group* owner = getgrgid(info.st_gid);
    if (owner == nullptr)
        return {};
    const std::string name = owner->gr_name;
    if (InGroup(info.st_gid))
        return "; the device's group " + name + " is one of this user's, so its mode forbids it";
    const passwd* user = getpwuid(geteuid());
    const std::string login = user != nullptr ? user->pw_name : "<user>";
    if (ListedInGroup(*owner))
        return "; this user was added to the " + name + " group but this session does not have it yet: log in again";
    return "; this user is not in the " + name + " group (sudo usermod -aG " + name + " " + login +
           ", then log in again)";
}

} // namespace

namespace {

// The device as looked at, and what it leads to when that is another path (a COM link).
std::string Shown(const std::string& device)
{
    const std::string target = CanonicalPath(device);
    return target == device ? device : device + " (" + target + ")";
}

} // namespace

std::vector<std::string> DescribeOpenFailure(int comNumber, const SerialOpenFailure& failure)
{
    const std::string prefix = Prefix(comNumber);
    const char* portDir = std::getenv("QVX_PORT_DIR");
    const bool fromPortDir = portDir != nullptr && *portDir != '\0';
    switch (failure.kind) {
    case SerialOpenFailure::Kind::None:
        return {};
    case SerialOpenFailure::Kind::NoSuchPort:
        if (failure.device.empty())
            return {prefix + "this machine has no serial port with that number (the ports are /dev/ttyS*, "
                             "/dev/ttyUSB* and /dev/ttyACM*, numbered in that order)"};
        return {prefix + "there is no device at " + failure.device +
                (fromPortDir ? " (QVX_PORT_DIR=" + std::string(portDir) + ")" : std::string()) + ": " +
                SystemText(failure.systemError)};
    case SerialOpenFailure::Kind::NoPermission:
        return {prefix + "permission denied on " + Shown(failure.device) + PermissionAdvice(failure.device)};
    case SerialOpenFailure::Kind::Busy: {
        const std::vector<std::string> holders = Holders(failure.device);
        if (holders.empty())
            return {prefix + Shown(failure.device) + " is held by another program (which one is not visible to this user)"};
        std::string line = prefix + Shown(failure.device) + " is held by another program: process ";
        for (std::size_t i = 0; i < holders.size(); ++i) {
            if (i > 0)
                line += ", ";
            line += holders[i];
        }
        return {line};
    }
    case SerialOpenFailure::Kind::Refused:
        break;
    }
    return {prefix + Shown(failure.device) + " could not be set up as a serial line: " + SystemText(failure.systemError)};
}
