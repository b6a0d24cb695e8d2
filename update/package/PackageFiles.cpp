#include "update/package/PackageFiles.h"

#include "update/package/FileCommit.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <system_error>
#include <utility>

namespace qvxpkg {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

std::string Reason(const std::string& what, const std::string& path)
{
    const int error = errno;
    std::string text = what + " " + path;
    if (error != 0)
        text += ": " + std::string(std::strerror(error));
    return text;
}

} // namespace

FileStatus ReadWholeFile(const std::string& path, std::size_t limit, std::vector<unsigned char>& bytes,
                         std::string& fault)
{
    bytes.clear();
    // Asked first: Windows refuses to open a folder with a misleading "permission denied".
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        fault = "cannot read " + path + ": it is a folder";
        return FileStatus::OpenFailed;
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        fault = Reason("cannot open", path);
        return FileStatus::OpenFailed;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff end = in.tellg();
    in.seekg(0, std::ios::beg);
    if (end < 0 || !in) {
        fault = Reason("cannot read", path);
        return FileStatus::ReadFailed;
    }
    if (static_cast<unsigned long long>(end) > limit) {
        fault = path + " is " + std::to_string(end) + " bytes, more than the " + std::to_string(limit) +
                " allowed";
        return FileStatus::TooLarge;
    }
    try {
        bytes.resize(static_cast<std::size_t>(end));
    } catch (const std::bad_alloc&) {
        fault = "out of memory reading " + path;
        return FileStatus::NoMemory;
    }
    if (!bytes.empty() && !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
        fault = "cannot read " + path + " whole (" + std::to_string(in.gcount()) + " of " +
                std::to_string(bytes.size()) + " bytes)";
        bytes.clear();
        return FileStatus::ReadFailed;
    }
    // A file that grew while being read is not the file that was measured.
    if (in.peek() != std::char_traits<char>::eof()) {
        fault = path + " changed while being read";
        bytes.clear();
        return FileStatus::ReadFailed;
    }
    return FileStatus::Ok;
}

FileStatus WriteFileReplacing(const std::string& path, std::span<const std::span<const unsigned char>> pieces,
                              std::string& fault)
{
    const std::string temporary = path + ".part";
    errno = 0;
    FilePtr out(std::fopen(temporary.c_str(), "wb"));
    if (!out) {
        fault = Reason("cannot create", temporary);
        return FileStatus::OpenFailed;
    }
    const auto failed = [&](std::string text) {
        out.reset();
        std::remove(temporary.c_str());
        fault = std::move(text);
        return FileStatus::OpenFailed;
    };
    for (const auto piece : pieces) {
        if (!piece.empty() && std::fwrite(piece.data(), 1, piece.size(), out.get()) != piece.size())
            return failed(Reason("cannot write", temporary));
    }
    std::string reason;
    // On disk before the rename: a power cut must not leave an empty file under the final name.
    if (!FlushToDisk(out.get(), reason))
        return failed("cannot write " + temporary + ": " + reason);
    errno = 0;
    if (std::fclose(out.release()) != 0)
        return failed(Reason("cannot write", temporary));
    if (!RenameReplacing(temporary, path, reason))
        return failed("cannot rename " + temporary + " to " + path + ": " + reason);
    return FileStatus::Ok;
}

bool IsPathSeparator(char c)
{
#ifdef _WIN32
    return c == '\\' || c == ':';
#else
    return c == '\\' || c == ':' || c == '/';
#endif
}

std::string_view FileNameOf(std::string_view path)
{
    for (std::size_t i = path.size(); i > 0; --i) {
        if (IsPathSeparator(path[i - 1]))
            return path.substr(i);
    }
    return path;
}

std::string_view FolderOf(std::string_view path)
{
    return path.substr(0, path.size() - FileNameOf(path).size());
}

std::string Printable(std::string_view text)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f) {
            shown += c;
        } else {
            shown += "\\x";
            shown += kHex[byte >> 4];
            shown += kHex[byte & 15];
        }
    }
    return shown;
}

} // namespace qvxpkg
