#include "base/WholeFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <system_error>
#include <utility>

namespace qvxbase {

namespace {

std::string Reason(const std::string& what, const std::string& path)
{
    const int error = errno;
    std::string text = what + " " + path;
    if (error != 0)
        text += ": " + std::string(std::strerror(error));
    return text;
}

// Why the path is not a file to read whole; empty when it may be opened.
std::string NotARegularFile(const std::string& path)
{
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::exists(status) || std::filesystem::is_regular_file(status))
        return {};
    // Asked before opening: Windows refuses to open a folder with a misleading "permission denied".
    if (std::filesystem::is_directory(status))
        return "cannot read " + path + ": it is a folder";
    return "cannot read " + path + ": it is not a regular file";
}

// One reader for both kinds of buffer: measured first, so the limit is kept before any allocation.
template <typename Bytes>
FileStatus ReadInto(const std::string& path, std::size_t limit, Bytes& bytes, std::string& fault)
{
    fault = NotARegularFile(path);
    if (!fault.empty())
        return FileStatus::OpenFailed;
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
    Bytes content;
    try {
        content.resize(static_cast<std::size_t>(end));
    } catch (const std::bad_alloc&) {
        fault = "out of memory reading " + path;
        return FileStatus::NoMemory;
    }
    if (!content.empty() &&
        !in.read(reinterpret_cast<char*>(content.data()), static_cast<std::streamsize>(content.size()))) {
        fault = "cannot read " + path + " whole (" + std::to_string(in.gcount()) + " of " +
                std::to_string(content.size()) + " bytes)";
        return FileStatus::ReadFailed;
    }
    // A file that grew while being read is not the file that was measured.
    if (in.peek() != std::char_traits<char>::eof()) {
        fault = path + " changed while being read";
        return FileStatus::ReadFailed;
    }
    bytes = std::move(content);
    return FileStatus::Ok;
}

} // namespace

FileStatus ReadWholeFile(const std::string& path, std::size_t limit, std::vector<unsigned char>& bytes,
                         std::string& fault)
{
    return ReadInto(path, limit, bytes, fault);
}

FileStatus ReadWholeFile(const std::string& path, std::size_t limit, std::string& bytes, std::string& fault)
{
    return ReadInto(path, limit, bytes, fault);
}

bool ReplaceFileAtomically(const std::string& path, std::string_view text, std::string& fault)
{
    const std::span<const unsigned char> piece(reinterpret_cast<const unsigned char*>(text.data()), text.size());
    return ReplaceFileAtomically(path, std::span<const std::span<const unsigned char>>(&piece, 1), fault);
}

} // namespace qvxbase
