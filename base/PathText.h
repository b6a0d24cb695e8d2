#pragma once
// Where a folder ends in a path's text. The tool reads paths for more than one purpose, and the
// purposes do not all cut a path at the same characters; every such rule is here, side by side,
// with its reason, so none is made up again elsewhere. A rule never changes what a path already
// resolves to.
//
// The command line's values (-lf, -f, -d) are the one exception kept outside: app/PathRules.h
// reads them by the form of the system they were given on (PathStyle below), a drive and
// backslashes on Windows, '/' on Linux, and can check either form on either system.

#include <string>
#include <string_view>

namespace qvxbase {

// The two ways of writing a path.
enum class PathStyle { Posix, Windows };

#ifdef _WIN32
inline constexpr PathStyle kNativePathStyle = PathStyle::Windows;
#else
inline constexpr PathStyle kNativePathStyle = PathStyle::Posix;
#endif

// The separator a style writes between a folder and what is in it.
constexpr char FolderSeparator(PathStyle style)
{
    return style == PathStyle::Posix ? '/' : '\\';
}
// The one this system writes, and the only one its own calls resolve on Linux.
inline constexpr char kFolderSeparator = FolderSeparator(kNativePathStyle);

enum class PathReading {
    // A path on this machine that the tool was given or puts together (the log's folder, the
    // diagnostics folder, the temporary folder, the -f value's file name): '/' and '\\' both end
    // a folder on every system. Windows takes either, and on Linux the paths in display lists
    // and scripts come from Windows machines.
    Local,
    // The name a file goes by once it leaves this machine: the name a firmware file is sent to
    // the controller under, and the one a package stores. It is cut as Windows cuts a file's
    // name from its path: after the last '\\', or after the ':' of a drive ("C:FX40211.EXE");
    // on Linux also after '/'. Windows keeps a '/' in such a name.
    StoredName,
    // The title of a firmware version text ("FX40211" of "FX40211-1.02.11"), taken from the
    // file's path: after the last '\\' only, so "C:FX40211.EXE" keeps its "C:" and its version
    // cannot pass for the main line's; on Linux also after '/'.
    VersionTitle,
};

// True when `c` ends a folder in a path read for `reading`.
constexpr bool EndsFolder(PathReading reading, char c)
{
    const bool slash = c == '/' && (kNativePathStyle == PathStyle::Posix || reading == PathReading::Local);
    return c == '\\' || slash || (reading == PathReading::StoredName && c == ':');
}

// Up to and including the last character that ends a folder; empty when there is none.
std::string_view FolderPartOf(std::string_view path, PathReading reading = PathReading::Local);
// What follows the folder part: the whole text when there is no folder part.
std::string_view NamePartOf(std::string_view path, PathReading reading = PathReading::Local);

// Whether a local path ends in a separator (either of them).
bool EndsWithFolderSeparator(std::string_view path);
// `folder` with `separator` added unless it is empty or already ends in a separator.
std::string WithFolderSeparator(std::string folder, char separator = kFolderSeparator);

} // namespace qvxbase
