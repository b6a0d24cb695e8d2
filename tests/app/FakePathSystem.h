#pragma once
// An in-memory machine for the path rules: known folders and files, and a record of creations.

#include "app/PathSystem.h"

#include <set>
#include <string>
#include <vector>

struct FakePathSystem : IPathSystem {
    std::string programFolder = "/opt/qvx/";
    std::set<std::string> folders;      // present, without a trailing separator
    std::set<std::string> unreachable;  // e.g. a missing drive
    std::set<std::string> files;
    bool refuseCreate = false;
    std::vector<std::string> created;

    std::string ProgramFolder() const override { return programFolder; }
    bool FileExists(const std::string& path) const override { return files.count(path) != 0; }
    FolderState ProbeFolder(const std::string& path) const override
    {
        if (folders.count(Trimmed(path)) != 0)
            return FolderState::Present;
        return unreachable.count(Trimmed(path)) != 0 ? FolderState::Unreachable : FolderState::Missing;
    }
    bool CreateFolder(const std::string& path) override
    {
        if (!refuseCreate) {
            created.push_back(path);
            folders.insert(path);
        }
        return !refuseCreate;
    }
    static std::string Trimmed(std::string path)
    {
        if (path.size() > 1 && (path.back() == '/' || path.back() == '\\'))
            path.pop_back();
        return path;
    }
};
