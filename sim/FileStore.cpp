#include "sim/FileStore.h"

#include <cctype>

namespace qvxsim {

std::string UpperCase(const std::string& text)
{
    std::string upper = text;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

bool FileStore::Put(const std::string& name, Bytes bytes, std::uint32_t time)
{
    if (name.empty() || bytes.size() > kMaxStoredFile)
        return false;
    const std::string key = UpperCase(name);
    const auto existing = m_files.find(key);
    const std::size_t replaced = existing == m_files.end() ? 0 : existing->second.bytes.size();
    if (existing == m_files.end() && m_files.size() >= kMaxFiles)
        return false;
    if (m_total - replaced + bytes.size() > kMaxTotal)
        return false;
    m_total = m_total - replaced + bytes.size();
    m_files[key] = StoredFile{key, std::move(bytes), time};
    return true;
}

const StoredFile* FileStore::Find(const std::string& name) const
{
    const auto it = m_files.find(UpperCase(name));
    return it == m_files.end() ? nullptr : &it->second;
}

bool FileStore::Remove(const std::string& name)
{
    const auto it = m_files.find(UpperCase(name));
    if (it == m_files.end())
        return false;
    m_total -= it->second.bytes.size();
    m_files.erase(it);
    return true;
}

bool FileStore::Rename(const std::string& from, const std::string& to)
{
    const auto it = m_files.find(UpperCase(from));
    if (it == m_files.end() || to.empty())
        return false;
    StoredFile file = std::move(it->second);
    m_total -= file.bytes.size();
    m_files.erase(it);
    Remove(to);
    file.name = UpperCase(to);
    m_total += file.bytes.size();
    m_files[file.name] = std::move(file);
    return true;
}

std::vector<const StoredFile*> FileStore::Files() const
{
    std::vector<const StoredFile*> files;
    files.reserve(m_files.size());
    for (const auto& [key, file] : m_files)
        files.push_back(&file);
    return files;
}

} // namespace qvxsim
