#include "base/PathText.h"

namespace qvxbase {

std::string_view FolderPartOf(std::string_view path, PathReading reading)
{
    for (std::size_t i = path.size(); i > 0; --i) {
        if (EndsFolder(reading, path[i - 1]))
            return path.substr(0, i);
    }
    return {};
}

std::string_view NamePartOf(std::string_view path, PathReading reading)
{
    return path.substr(FolderPartOf(path, reading).size());
}

bool EndsWithFolderSeparator(std::string_view path)
{
    return !path.empty() && EndsFolder(PathReading::Local, path.back());
}

std::string WithFolderSeparator(std::string folder, char separator)
{
    if (!folder.empty() && !EndsWithFolderSeparator(folder))
        folder += separator;
    return folder;
}

} // namespace qvxbase
