#pragma once
// Helpers the package tests share: a scratch folder, whole-file reads and writes, packages built
// byte by byte (independently of CZlbFile) and running commands.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace pkgtest {

using Bytes = std::vector<unsigned char>;

// A fresh folder, removed afterwards.
struct ScratchDir {
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    // The names of the files in `sub` (the folder itself by default), sorted.
    std::vector<std::string> Files(const std::string& sub = "") const;
    std::filesystem::path path;
};

Bytes ReadFile(const std::string& path);
void WriteFile(const std::string& path, const Bytes& bytes);
// Deterministic, compressible test data.
Bytes TextLike(std::size_t size);

void PutLe32(Bytes& bytes, std::size_t at, std::uint32_t value);
// zlib's one-shot compress at the default level.
Bytes Compress(const Bytes& image);
// The stream packages are made with (base/Deflate.h).
Bytes CompressBest(const Bytes& image);
// A package as the format lays it out: header, name and its 0, the CompressBest stream, 16 zeros.
Bytes MakePackage(const std::string& name, const Bytes& image);
// The same around a stream of the caller's.
Bytes MakePackage(const std::string& name, const Bytes& image, const Bytes& stream);

struct CommandResult {
    int status = -1;    // exit status, or -1 when it did not exit normally
    std::string output; // standard output and standard error together
};
CommandResult RunCommand(const std::string& command);
bool HaveProgram(const std::string& name);
// A path quoted for the shell.
std::string Quote(const std::string& text);

} // namespace pkgtest
