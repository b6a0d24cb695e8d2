#pragma once
// One file area of a controller: upper-case names to bytes, bounded in file size, file count
// and total size so that no sequence of commands can make the controller grow without end.

#include "sim/Wire.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace qvxsim {

inline constexpr std::size_t kMaxStoredFile = 16u << 20;

struct StoredFile {
    std::string name; // upper case, as the controller keeps its names
    Bytes bytes;
    std::uint32_t time = 0; // seconds since 1970 when it was stored
};

class FileStore {
public:
    static constexpr std::size_t kMaxFiles = 512;
    static constexpr std::size_t kMaxTotal = 64u << 20;

    // False (and nothing changes) when the file is too large or the area full.
    bool Put(const std::string& name, Bytes bytes, std::uint32_t time);
    const StoredFile* Find(const std::string& name) const;
    bool Remove(const std::string& name);
    // Replaces a file of the new name; false when the old one is missing or a name is empty.
    bool Rename(const std::string& from, const std::string& to);
    void Clear() { m_files.clear(); m_total = 0; }

    // In name order.
    std::vector<const StoredFile*> Files() const;
    std::size_t TotalBytes() const { return m_total; }

private:
    std::map<std::string, StoredFile> m_files;
    std::size_t m_total = 0;
};

std::string UpperCase(const std::string& text);

} // namespace qvxsim
