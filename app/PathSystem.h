#pragma once
// What resolving the command-line paths needs from the machine. Tests substitute their own.

#include "app/PathRules.h"

#include <string>

class IPathSystem {
public:
    enum class FolderState {
        Present,     // a folder is there
        Missing,     // nothing is there, so it may be created
        Unreachable  // anything else: a file in the way, no permission, no such drive
    };

    virtual ~IPathSystem() = default;

    // Folder of the running program file, ending in a separator.
    virtual std::string ProgramFolder() const = 0;
    virtual bool FileExists(const std::string& path) const = 0;
    virtual FolderState ProbeFolder(const std::string& path) const = 0;
    // True when the folder was created or already exists.
    virtual bool CreateFolder(const std::string& path) = 0;
};

#ifdef _WIN32

// Paths in the ANSI code page, as the command line gives them.
class CWin32PathSystem : public IPathSystem {
public:
    std::string ProgramFolder() const override;
    bool FileExists(const std::string& path) const override;
    FolderState ProbeFolder(const std::string& path) const override;
    bool CreateFolder(const std::string& path) override;
};

// The machine's own paths.
using CNativePathSystem = CWin32PathSystem;

#else

class CPosixPathSystem : public IPathSystem {
public:
    std::string ProgramFolder() const override;
    bool FileExists(const std::string& path) const override;
    FolderState ProbeFolder(const std::string& path) const override;
    bool CreateFolder(const std::string& path) override;
};

using CNativePathSystem = CPosixPathSystem;

#endif

// How the machine's command lines write paths.
using qvxbase::kNativePathStyle;
