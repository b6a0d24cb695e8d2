#pragma once
// Helpers the package tests share: a scratch folder, whole-file reads and writes, packages built
// byte by byte (independently of CZlbFile), small ELF images and running commands.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace pkgtest {

using Bytes = std::vector<unsigned char>;

// A fresh folder per test, removed afterwards.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }
    // The names of the files in the folder, sorted.
    std::vector<std::string> Files() const;

private:
    std::filesystem::path m_path;
};

Bytes ReadFile(const std::string& path);
void WriteFile(const std::string& path, const Bytes& bytes);

// Deterministic test data: text-like (compressible) or noise (incompressible).
Bytes TextLike(std::size_t size);
Bytes Noise(std::size_t size, std::uint32_t seed);

void PutLe32(Bytes& bytes, std::size_t at, std::uint32_t value);
void PutBe16(Bytes& bytes, std::size_t at, std::uint16_t value);
void PutBe32(Bytes& bytes, std::size_t at, std::uint32_t value);

// zlib's one-shot compress at the default level.
Bytes Compress(const Bytes& image);
// A package as the format lays it out: header, name, stream, 16 zeros.
Bytes MakePackage(const std::string& name, const Bytes& image);
// The same with the header words and the stored bytes given outright.
Bytes MakeRawPackage(std::uint32_t size, std::uint32_t stored, const std::string& name, const Bytes& payload);

// A small 32-bit big-endian ELF executable: null, .text, .m2_rev_id (holding revisionText and a
// zero), .shstrtab, then the section header table. Offsets of interest are reported.
struct SmallElf {
    Bytes bytes;
    std::size_t tableOffset = 0;    // section header table
    std::size_t revisionHeader = 0; // the .m2_rev_id section header
    std::size_t revisionOffset = 0; // its text
    std::size_t namesOffset = 0;    // .shstrtab
};
SmallElf MakeSmallElf(const std::string& revisionText = "Gen II Firmware REV 1.2.;",
                      const std::string& revisionName = ".m2_rev_id");

struct CommandResult {
    int status = -1; // exit status, or -1 when it did not exit normally
    std::string output; // standard output and standard error together
};
CommandResult RunCommand(const std::string& command);
// True when the program is on PATH.
bool HaveProgram(const std::string& name);
// A path quoted for the shell.
std::string Quote(const std::string& text);

} // namespace pkgtest
