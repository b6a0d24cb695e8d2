#include "PackageTestSupport.h"

#include "base/Deflate.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sys/wait.h>

namespace pkgtest {

ScratchDir::ScratchDir()
{
    std::string dir = (std::filesystem::temp_directory_path() / "qvx-pkg-XXXXXX").string();
    EXPECT_NE(::mkdtemp(dir.data()), nullptr);
    path = dir;
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::vector<std::string> ScratchDir::Files(const std::string& sub) const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path / sub))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

Bytes ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

Bytes TextLike(std::size_t size)
{
    static const char kWords[] = "sign controller firmware package block frame address display ";
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>(kWords[(i * 7 + i / 61) % (sizeof kWords - 1)]);
    return bytes;
}

void PutLe32(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.at(at + i) = static_cast<unsigned char>(value >> (8 * i));
}

Bytes Compress(const Bytes& image)
{
    uLongf size = compressBound(static_cast<uLong>(image.size()));
    Bytes stream(size);
    static const unsigned char kNone = 0;
    EXPECT_EQ(compress(stream.data(), &size, image.empty() ? &kNone : image.data(), static_cast<uLong>(image.size())),
              Z_OK);
    stream.resize(size);
    return stream;
}

Bytes CompressBest(const Bytes& image)
{
    Bytes stream;
    EXPECT_TRUE(qvxbase::ZlibCompressBest(image, stream));
    return stream;
}

Bytes MakePackage(const std::string& name, const Bytes& image)
{
    return MakePackage(name, image, CompressBest(image));
}

Bytes MakePackage(const std::string& name, const Bytes& image, const Bytes& stream)
{
    Bytes bytes(8);
    PutLe32(bytes, 0, static_cast<std::uint32_t>(image.size()));
    PutLe32(bytes, 4, static_cast<std::uint32_t>(stream.size() + 16));
    bytes.insert(bytes.end(), name.begin(), name.end());
    bytes.push_back(0);
    bytes.insert(bytes.end(), stream.begin(), stream.end());
    bytes.resize(bytes.size() + 16, 0);
    return bytes;
}

CommandResult RunCommand(const std::string& command)
{
    CommandResult result;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return result;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        result.output.append(buffer, got);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

bool HaveProgram(const std::string& name)
{
    return RunCommand("command -v " + Quote(name)).status == 0;
}

std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

} // namespace pkgtest
