#pragma once
// How the command line's file values are read: absolute or relative, joined to the program folder,
// and how a log folder is created. Each build reads its own system's form (kNativePathStyle in
// PathSystem.h); both can be checked on either.

#include "base/PathText.h"

#include <cstddef>
#include <string>

class IPathSystem;

// The two forms and their separators are base/PathText.h's, where the tool's other path rules are.
using PathStyle = qvxbase::PathStyle;
using qvxbase::FolderSeparator;

// Path buffers hold 260 characters including the terminator; longer paths are refused.
constexpr std::size_t QVX_MAX_PATH = 260;

inline bool FitsMaxPath(const std::string& path)
{
    return path.size() < QVX_MAX_PATH;
}

// POSIX: starts with '/'. Windows: the text before the first backslash is two characters (a drive).
bool IsAbsolutePath(PathStyle style, const std::string& value);

// folder + relative value with exactly one separator between them. On POSIX a backslash in the
// value is a separator too, since display lists and scripts come from Windows machines.
std::string JoinToFolder(PathStyle style, const std::string& folder, const std::string& value);

// Up to and including the last separator of the style; empty when there is none. Only that one
// counts (not PathReading::Local's pair): an absolute POSIX value keeps a '\\' as part of a name,
// as the system itself does, so no folder is made that the file will not be in.
std::string FolderPart(PathStyle style, const std::string& path);

// Creates each missing folder of an absolute folder path (ending in a separator) from the root
// down; a folder that can be neither reached nor created ends the walk. True when the folder is
// there afterwards.
bool MakeFolders(IPathSystem& paths, PathStyle style, const std::string& folder);
