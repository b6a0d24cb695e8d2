// Files read and replaced whole: byte for byte, with the system's reason on failure, and a failed
// read leaves the caller's buffer alone.
#include "base/WholeFile.h"
#include "common/TestEnv.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace std::string_literals;
using qvxbase::FileStatus;

namespace {

namespace fs = std::filesystem;

class WholeFile : public ::testing::Test {
protected:
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Write(const std::string& name, const std::string& bytes) const
    {
        const fs::path path = m_dir / name;
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }
    std::string Read(const std::string& path) const
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::size_t Entries() const { return static_cast<std::size_t>(std::distance(fs::directory_iterator(m_dir), {})); }

    fs::path m_dir = MakeTempFolder("qvx-base");
};

TEST_F(WholeFile, ReadIsByteExactIntoEitherBuffer)
{
    std::string bytes = "<a>\0\r\n\xFF</a>"s;
    bytes += std::string(200000, 'x'); // more than one read of the stream's buffer
    const std::string path = Write("f.xml", bytes);
    std::string text = "previous";
    std::vector<unsigned char> image{1, 2, 3};
    std::string fault;
    ASSERT_EQ(qvxbase::ReadWholeFile(path, bytes.size(), text, fault), FileStatus::Ok) << fault;
    ASSERT_EQ(qvxbase::ReadWholeFile(path, bytes.size(), image, fault), FileStatus::Ok) << fault;
    EXPECT_EQ(text, bytes);
    EXPECT_EQ(std::string(image.begin(), image.end()), bytes);
    ASSERT_EQ(qvxbase::ReadWholeFile(Write("empty.xml", ""), 0, text, fault), FileStatus::Ok) << fault;
    EXPECT_EQ(text, "");
}

TEST_F(WholeFile, RefusalsSayWhyAndLeaveTheBufferAlone)
{
    const std::string big = Write("big.bin", std::string(101, 'b'));
    const std::string missing = (m_dir / "missing.xml").string();
    const std::string folder = m_dir.string();
    struct Case {
        std::string path;
        FileStatus status;
        std::string fault;
    };
    std::vector<Case> cases = {
        {missing, FileStatus::OpenFailed, "cannot open " + missing + ": " + std::strerror(ENOENT)},
        {folder, FileStatus::OpenFailed, "cannot read " + folder + ": it is a folder"},
        {big, FileStatus::TooLarge, big + " is 101 bytes, more than the 100 allowed"},
        {"", FileStatus::OpenFailed, "cannot open "},
    };
#ifndef _WIN32
    // Opening a FIFO would wait for a writer for good.
    const std::string fifo = (m_dir / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    cases.push_back({fifo, FileStatus::OpenFailed, "cannot read " + fifo + ": it is not a regular file"});
#endif
    for (const Case& c : cases) {
        std::string text = "previous";
        std::string fault;
        EXPECT_EQ(qvxbase::ReadWholeFile(c.path, 100, text, fault), c.status) << c.path;
        EXPECT_TRUE(fault.starts_with(c.fault)) << fault;
        EXPECT_EQ(text, "previous") << c.path;
    }
}

TEST_F(WholeFile, ReplaceWritesThePiecesInOrderOverALongerFile)
{
    const std::string path = Write("FX40211.zlb", std::string(5000, 'o'));
    const unsigned char head[] = {'n', 'e', 'w'};
    const unsigned char tail[] = {'\r', '\n', 0, 'x'};
    const std::span<const unsigned char> pieces[] = {head, {}, tail};
    std::string fault;
    ASSERT_TRUE(qvxbase::ReplaceFileAtomically(path, pieces, fault)) << fault;
    EXPECT_EQ(Read(path), "new\r\n\0x"s);
    ASSERT_TRUE(qvxbase::ReplaceFileAtomically(path, "text", fault)) << fault;
    EXPECT_EQ(Read(path), "text");
    EXPECT_EQ(Entries(), 1u) << "no temporary file left";
}

} // namespace
