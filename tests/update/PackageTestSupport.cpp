#include "PackageTestSupport.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

namespace pkgtest {

ScratchDir::ScratchDir()
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "-" + info->name();
    std::replace(name.begin(), name.end(), '/', '_');
    m_path = std::filesystem::temp_directory_path() / ("qvx-pkg-" + std::to_string(::getpid()) + "-" + name);
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::vector<std::string> ScratchDir::Files() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_path))
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
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes TextLike(std::size_t size)
{
    static const char kWords[] = "sign controller firmware package block frame address display ";
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>(kWords[(i * 7 + i / 61) % (sizeof kWords - 1)]);
    return bytes;
}

Bytes Noise(std::size_t size, std::uint32_t seed)
{
    Bytes bytes(size);
    std::uint32_t state = seed * 2654435761u + 1;
    for (auto& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<unsigned char>(state >> 24);
    }
    return bytes;
}

void PutLe32(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.at(at + i) = static_cast<unsigned char>(value >> (8 * i));
}

void PutBe16(Bytes& bytes, std::size_t at, std::uint16_t value)
{
    bytes.at(at) = static_cast<unsigned char>(value >> 8);
    bytes.at(at + 1) = static_cast<unsigned char>(value);
}

void PutBe32(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    PutBe16(bytes, at, static_cast<std::uint16_t>(value >> 16));
    PutBe16(bytes, at + 2, static_cast<std::uint16_t>(value));
}

Bytes Compress(const Bytes& image)
{
    uLongf size = compressBound(static_cast<uLong>(image.size()));
    Bytes stream(size);
    static const unsigned char kNone = 0;
    const int result = compress(stream.data(), &size, image.empty() ? &kNone : image.data(),
                                static_cast<uLong>(image.size()));
    EXPECT_EQ(result, Z_OK);
    stream.resize(size);
    return stream;
}

Bytes MakeRawPackage(std::uint32_t size, std::uint32_t stored, const std::string& name, const Bytes& payload)
{
    Bytes bytes(8);
    PutLe32(bytes, 0, size);
    PutLe32(bytes, 4, stored);
    bytes.insert(bytes.end(), name.begin(), name.end());
    bytes.push_back(0);
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

Bytes MakePackage(const std::string& name, const Bytes& image)
{
    Bytes payload = Compress(image);
    const auto stored = static_cast<std::uint32_t>(payload.size() + 16);
    payload.resize(payload.size() + 16, 0);
    return MakeRawPackage(static_cast<std::uint32_t>(image.size()), stored, name, payload);
}

SmallElf MakeSmallElf(const std::string& revisionText, const std::string& revisionName)
{
    SmallElf elf;
    const std::string names = std::string(1, '\0') + ".text" + '\0' + revisionName + '\0' + ".shstrtab" + '\0';
    const std::uint32_t textName = 1;
    const auto revisionNameAt = static_cast<std::uint32_t>(textName + 6);
    const auto namesName = static_cast<std::uint32_t>(revisionNameAt + revisionName.size() + 1);
    Bytes& b = elf.bytes;
    b.assign(52, 0);
    const unsigned char ident[] = {0x7f, 'E', 'L', 'F', 1, 2, 1};
    std::copy(std::begin(ident), std::end(ident), b.begin());
    PutBe16(b, 16, 2);
    PutBe16(b, 18, 20);
    PutBe32(b, 20, 1);
    PutBe16(b, 40, 52);
    PutBe16(b, 46, 40);
    PutBe16(b, 48, 4);
    PutBe16(b, 50, 3);
    const std::size_t text = b.size();
    const unsigned char code[] = {0x38, 0x60, 0x00, 0x00, 0x4e, 0x80, 0x00, 0x20}; // li r3,0; blr
    b.insert(b.end(), std::begin(code), std::end(code));
    elf.revisionOffset = b.size();
    b.insert(b.end(), revisionText.begin(), revisionText.end());
    b.push_back(0);
    elf.namesOffset = b.size();
    b.insert(b.end(), names.begin(), names.end());
    while (b.size() % 4 != 0)
        b.push_back(0);
    elf.tableOffset = b.size();
    PutBe32(b, 32, static_cast<std::uint32_t>(elf.tableOffset));
    b.resize(b.size() + 4 * 40, 0);
    const auto header = [&](std::size_t index, std::uint32_t name, std::uint32_t type, std::size_t offset,
                            std::size_t size) {
        const std::size_t at = elf.tableOffset + index * 40;
        PutBe32(b, at, name);
        PutBe32(b, at + 4, type);
        PutBe32(b, at + 16, static_cast<std::uint32_t>(offset));
        PutBe32(b, at + 20, static_cast<std::uint32_t>(size));
    };
    header(1, textName, 1, text, sizeof code);
    header(2, revisionNameAt, 1, elf.revisionOffset, revisionText.size() + 1);
    header(3, namesName, 3, elf.namesOffset, names.size());
    elf.revisionHeader = elf.tableOffset + 2 * 40;
    return elf;
}

namespace {

// A command's output pipe, closed on every path.
class CommandPipe {
public:
    explicit CommandPipe(const std::string& command) : m_pipe(::popen(command.c_str(), "r")) {}
    ~CommandPipe()
    {
        if (m_pipe != nullptr)
            ::pclose(m_pipe);
    }
    CommandPipe(const CommandPipe&) = delete;
    CommandPipe& operator=(const CommandPipe&) = delete;
    FILE* Get() const { return m_pipe; }
    // The command's wait status.
    int Close()
    {
        const int status = ::pclose(m_pipe);
        m_pipe = nullptr;
        return status;
    }

private:
    FILE* m_pipe;
};

} // namespace

CommandResult RunCommand(const std::string& command)
{
    CommandResult result;
    CommandPipe pipe(command + " 2>&1");
    if (pipe.Get() == nullptr)
        return result;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe.Get())) > 0)
        result.output.append(buffer, got);
    const int status = pipe.Close();
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
    for (const char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

} // namespace pkgtest
