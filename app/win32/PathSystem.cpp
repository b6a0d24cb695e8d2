#include "app/PathSystem.h"

#include <windows.h>

#include <vector>

std::string CWin32PathSystem::ProgramFolder() const
{
    // A name that fills the buffer may have been cut: try again with more room.
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return ".\\";
        if (length < buffer.size()) {
            const std::string program(buffer.data(), length);
            const size_t slash = program.rfind('\\');
            return slash == std::string::npos ? ".\\" : program.substr(0, slash + 1);
        }
        if (buffer.size() >= 32768) // the longest path Windows has
            return ".\\";
        buffer.resize(buffer.size() * 2);
    }
}

bool CWin32PathSystem::FileExists(const std::string& path) const
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

IPathSystem::FolderState CWin32PathSystem::ProbeFolder(const std::string& path) const
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FolderState::Present : FolderState::Unreachable;
    // Both mean nothing of that name; a missing drive or share ends the walk when its creation fails.
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FolderState::Missing
                                                                            : FolderState::Unreachable;
}

bool CWin32PathSystem::CreateFolder(const std::string& path)
{
    // A folder made concurrently counts; a file of that name is caught by the final probe.
    return CreateDirectoryA(path.c_str(), nullptr) != 0 || GetLastError() == ERROR_ALREADY_EXISTS;
}
