#include "PathRules.h"

#include "PathSystem.h"

#include <algorithm>

namespace {

// A UNC path, \\server\share\...: the server and share play the drive's part.
bool IsUncPath(PathStyle style, const std::string& value)
{
    return style == PathStyle::Windows && value.size() > 2 && value.compare(0, 2, "\\\\") == 0 &&
           value[2] != '\\';
}

} // namespace

bool IsAbsolutePath(PathStyle style, const std::string& value)
{
    if (style == PathStyle::Posix)
        return !value.empty() && value.front() == '/';
    // A drive (C:\...) as the rule has it; also a UNC path, which would otherwise be read as
    // relative and put the file under the program's folder.
    return value.find('\\') == 2 || IsUncPath(style, value);
}

std::string JoinToFolder(PathStyle style, const std::string& folder, const std::string& value)
{
    const char separator = FolderSeparator(style);
    std::string relative = value;
    if (style == PathStyle::Posix)
        std::replace(relative.begin(), relative.end(), '\\', '/');
    if (!relative.empty() && relative.front() == separator)
        relative.erase(0, 1);

    std::string joined = folder;
    if (!joined.empty() && joined.back() != separator)
        joined += separator;
    return joined + relative;
}

std::string FolderPart(PathStyle style, const std::string& path)
{
    const size_t last = path.rfind(FolderSeparator(style));
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

bool MakeFolders(IPathSystem& paths, PathStyle style, const std::string& folder)
{
    const char separator = FolderSeparator(style);
    // The part before the first separator is the root (POSIX) or the drive (Windows); for a UNC
    // path it is \\server\share.
    size_t root = folder.find(separator);
    if (IsUncPath(style, folder)) {
        const size_t server = folder.find(separator, 2);
        root = server == std::string::npos ? std::string::npos : folder.find(separator, server + 1);
    }
    if (root != std::string::npos) {
        for (size_t next = folder.find(separator, root + 1); next != std::string::npos;
             next = folder.find(separator, next + 1)) {
            const std::string step = folder.substr(0, next);
            const IPathSystem::FolderState state = paths.ProbeFolder(step);
            if (state == IPathSystem::FolderState::Present)
                continue;
            if (state == IPathSystem::FolderState::Unreachable || !paths.CreateFolder(step))
                break;
        }
    }
    return paths.ProbeFolder(folder) == IPathSystem::FolderState::Present;
}
